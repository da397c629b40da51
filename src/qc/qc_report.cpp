#include "qc/qc_report.h"

#include "qc/lj_chart.h"
#include "qc/profile_plot.h"
#include "qc/qc_history.h"
#include "state/program.h"
#include "text/text_clean.h"

namespace quorin::qc {

void Profile_Report_Page(Program& program, ui::Printer& printer) {
  Profile_PRT(program.state, precision_profile(program.state, program.state.Flag_CV_Limit), printer);
}

void QC_Report_Pages(Program& program, ui::Printer& printer) {
  const auto judgement = judge_assay(program);
  if (!judgement || !judgement->problem.empty()) return;
  const Judged_Runs& runs = judgement->runs;
  const QC_Run& assay = runs.series.runs[*runs.place];
  for (const Serum_Value& value : assay.sera) QC_Chart_PRT(chart_view(runs, assay.substance, value.serum), printer);
}

long QC_Report_Page_Count(Program& program) {
  const auto judgement = judge_assay(program);
  if (!judgement || !judgement->problem.empty()) return 0;
  return static_cast<long>(judgement->runs.series.runs[*judgement->runs.place].sera.size());
}

std::string profile_line(const Program& program) {
  return profile_summary(precision_profile(program.state, program.state.Flag_CV_Limit),
                         text::Text_Clean(program.state.Unit_Name));
}

}  // namespace quorin::qc
