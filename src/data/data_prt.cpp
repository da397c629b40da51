// The data printout: the sheet's rows, 50 to a page under the assay's identification, each page
// ruled, numbered and sent as a document of its own.
#include <algorithm>
#include <utility>
#include <vector>

#include "data/data_procedures.h"
#include "data/data_prt.h"
#include "data/reg_data.h"
#include "state/page_identity.h"
#include "state/program.h"
#include "text/format.h"
#include "ui/print_job.h"

namespace quorin {

namespace {

constexpr long Page_Tubes = 50;
constexpr double Line_Step = 250;
constexpr double Table_Top = 2250;  // the column headings; row j of a page lies at 250·(9 + j)
constexpr double Column_X[] = {0, 1500, 3000, 4500};
constexpr double Table_Right = 6000;

void print_at(ui::Printer& printer, double x, double y, const std::string& text, bool line_end = false) {
  printer.set_position(x, y);
  printer.print(text, line_end);
}

void print_heading(ui::Printer& printer, const Assay_State& state) {
  printer.set_position(0, 0);
  printer.set_font_size(14);
  printer.print("Data");
  printer.set_font_size(12);
  print_at(printer, 0, 500, "Operator   : " + state.Operator_Name, true);
  print_at(printer, 0, 750, "Assay Date : " + state.Assay_Date, true);
  print_at(printer, 0, 1000, "Assay Type : ", true);
  print_at(printer, 0, 1250, "Assay Name : " + state.Substance_Name, true);
  print_at(printer, 0, 1500, "Assay No   : " + state.Assay_No, true);
  printer.set_font_size(10);
  const char* headings[] = {"No.", "REMARK", "濃  度", "測定値"};
  for (int c = 0; c < 4; ++c) print_at(printer, Column_X[c] + 100, Table_Top, headings[c]);
}

// The page number and the ruling of a page whose table ends at line `last_line`.
void finish_page(ui::Printer& printer, long page, long last_line) {
  print_at(printer, 5500, 0, "Page " + text::general_number(static_cast<double>(page)), true);
  const double bottom = Line_Step * last_line;
  printer.rectangle(0, Table_Top, Table_Right, bottom);
  for (int c = 1; c < 4; ++c) printer.line(Column_X[c], Table_Top, Column_X[c], bottom);
  for (long k = 9; k < last_line; ++k) printer.line(0, Line_Step * k, Table_Right, Line_Step * k);
  printer.end_document();
}

// The counts the printout prints: the sheet's scratch file while the sheet is open, else the
// count tables (what the sheet shows when it is opened), for the whole report.
class Printed_Counts {
 public:
  explicit Printed_Counts(Program& program) : sheet_(program.screen_as<Reg_Data>(Screen::Data)) {
    if (sheet_ != nullptr) {
      layout_ = sheet_->layout();
      return;
    }
    layout_ = Sheet_Layout::of(program.state);
    if (!layout_.fits_tables()) {
      layout_ = {};
      return;
    }
    tables_.reserve(static_cast<std::size_t>(layout_.total()));
    for_each_tube(std::as_const(program.state), layout_, [this](const Long& count, long, long) {
      tables_.push_back({count, 0, 0});
    });
  }
  const Sheet_Layout& layout() const { return layout_; }
  // Records first .. first + rows - 1 into out; false when the scratch file cannot be read.
  bool read(long first, long rows, Cell_Rec* out) {
    if (sheet_ != nullptr) return sheet_->scratch().read(first, rows, out);
    std::copy_n(tables_.begin() + (first - 1), rows, out);
    return true;
  }

 private:
  Reg_Data* sheet_;
  Sheet_Layout layout_;
  std::vector<Cell_Rec> tables_;
};

long pages_of(const Sheet_Layout& layout) { return (layout.total() + Page_Tubes - 1) / Page_Tubes; }

}  // namespace

long data_sheet_pages(const Program& program) {
  const auto* sheet = program.screen_as<Reg_Data>(Screen::Data);
  if (sheet != nullptr) return pages_of(sheet->layout());
  const Sheet_Layout layout = Sheet_Layout::of(program.state);
  return layout.fits_tables() ? pages_of(layout) : 0;
}

void print_data_sheet(Program& program, ui::Printer& printer) {
  const Assay_State& state = program.state;
  Printed_Counts counts(program);
  const Sheet_Layout& layout = counts.layout();
  std::vector<Cell_Rec> records(Page_Tubes);

  for (long first = 1, page = 1; first <= layout.total() && !printer.stopped(); first += Page_Tubes, ++page) {
    const long rows = std::min(Page_Tubes, layout.total() - first + 1);
    if (!counts.read(first, rows, records.data())) return;
    print_heading(printer, state);
    for (long j = 1; j <= rows; ++j) {
      const long row = first + j - 1;
      const double y = Line_Step * (9 + j);
      print_at(printer, Column_X[0], y, "  " + text::general_number(static_cast<double>(row)));
      print_at(printer, Column_X[1], y, remark_text(layout, row));
      const std::string concentration = concentration_text(state, layout, row);
      if (!concentration.empty()) print_at(printer, Column_X[2], y, concentration);
      const std::string count = count_text(records[j - 1].count);
      if (!count.empty()) print_at(printer, Column_X[3], y, count);
    }
    finish_page(printer, page, 10 + rows);
  }
}

void Data_PRT(Program& program) {
  if (program.screen(Screen::Data) == nullptr) return;
  const ui::Job_Outcome outcome = ui::run_print_job(
      program.platform, data_sheet_pages(program), [&](ui::Printer& printer) { print_data_sheet(program, printer); },
      screen_print_job(program.state));
  ui::tell_job_outcome(program.platform, outcome, /*announce_printed=*/false);
}

}  // namespace quorin
