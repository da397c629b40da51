#include "report/print_report.h"

#include "conditions/set_prt.h"
#include "data/data_prt.h"
#include "state/page_identity.h"
#include "graph/graph_prt.h"
#include "models/model_prt.h"
#include "qc/qc_procedures.h"
#include "qc/qc_report.h"
#include "report/print_report.h"
#include "results/result_prt.h"
#include "state/current_results.h"
#include "state/program.h"
#include "ui/print_job.h"

namespace quorin {

namespace {

// One printout of the report: the pages it will print now, and the printing of them.
struct Report_Entry {
  long (*pages)(Program&);
  void (*print)(Program&, ui::Printer&);
};

// The control-serum table carries the judgement of the sera against the history under it.
std::vector<std::string> table_note(Program& program, Result_Kind kind) {
  return kind == Result_Kind::Sera ? QC_Verdict_Lines(program) : std::vector<std::string>{};
}

template <Result_Kind kind>
long table_pages(Program& program) {
  return result_table_pages(program.state, kind, program.platform.printer().printable_height(),
                            table_note(program, kind));
}

template <Result_Kind kind>
void print_table(Program& program, ui::Printer& printer) {
  print_result_table(program.state, kind, printer, table_note(program, kind));
}

long one_page(Program&) { return 1; }

// The model comparison belongs to the report only while the results use a 4PL or 5PL.
void print_model_in_use(Program& program, ui::Printer& printer) {
  if (model_page_count(program) > 0) print_model_page(program, printer);
}

// The report in the order it is printed; a new printout is one more entry.
constexpr Report_Entry Report_Entries[] = {
    {one_page, print_conditions},
    {[](Program& program) { return data_sheet_pages(program); }, print_data_sheet},
    {[](Program& program) { return standard_page_count(program); }, print_standard_page},
    {one_page, print_regression_page},
    {[](Program& program) { return model_page_count(program); }, print_model_in_use},
    {table_pages<Result_Kind::Standard_Conc>, print_table<Result_Kind::Standard_Conc>},
    {table_pages<Result_Kind::Sera>, print_table<Result_Kind::Sera>},
    {table_pages<Result_Kind::Sample>, print_table<Result_Kind::Sample>},
    {one_page, qc::Profile_Report_Page},
    {qc::QC_Report_Page_Count, qc::QC_Report_Pages},
};

}  // namespace

std::optional<ui::Job_Outcome> Print_Report(Program& program, ui::Job job) {
  if (!Run_Fitness_Examination(program) || !Run_Control_Sera(program) || !Run_Assay_Samples(program))
    return std::nullopt;
  job.identity = page_identity(program.state);
  long planned = 0;
  for (const Report_Entry& entry : Report_Entries) planned += entry.pages(program);
  return ui::run_print_job(
      program.platform, planned,
      [&program](ui::Printer& printer) {
        for (const Report_Entry& entry : Report_Entries)
          if (!printer.stopped()) entry.print(program, printer);
      },
      job);
}

void Report_PRT(Program& program) {
  ui::Job job;
  job.one_document = true;
  job.ask_when_long = true;
  if (const auto outcome = Print_Report(program, job)) ui::tell_job_outcome(program.platform, *outcome, true);
}

}  // namespace quorin
