#include "results/result_prt.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "engine/concentration_interval.h"
#include "qc/qc_procedures.h"
#include "results/interval_text.h"
#include "results/results_procedures.h"
#include "state/current_results.h"
#include "state/page_identity.h"
#include "state/program.h"
#include "text/display_width.h"
#include "text/format.h"
#include "ui/print_job.h"

namespace quorin {

namespace {

using text::Format;
using text::general_number;
using text::signed_text;

constexpr int Row_Step = 250;      // twips between data rows; row L is printed at 250·L
constexpr int Column_Step = 1200;  // twips between columns
constexpr int Header_Top = 750;
constexpr int Last_Row_Line = 50;  // a page is finished once a tube row reaches it

struct Layout {
  int width;        // of the ruled table
  int inner_rules;  // vertical lines inside it
  std::vector<const char*> headers;
};

const Layout& layout_of(Result_Kind kind) {
  static const Layout standards{9600,
                                7,
                                {" Remark    ", " STD.Conc. ", " Counts    ", " Mean Count", " Count CV  ",
                                 " Calc Conc.", " Mean Conc.", " Conc. CV  "}};
  static const Layout sera{
      8400, 7, {"Remark    ", "Counts", "Calc Conc.", "Count CV", "Mean Calc Conc.", "Range", "Conc. CV"}};
  static const Layout samples{10800,
                              8,
                              {" Remark   ", " Counts   ", " Calc Conc.", " Count CV", " Mean Calc Conc.", " Range    ",
                               " Smpl Val ", " Conc. CV   ", " Area     "}};
  return kind == Result_Kind::Standard_Conc ? standards : kind == Result_Kind::Sera ? sera : samples;
}

struct Cell {
  int x;
  std::string text;
};
using Row = std::vector<Cell>;

// The sample layout right-aligns its numbers in 11 characters, one blank short of the column, so
// that no digit touches the rule on its right. A longer text is printed whole (only its leading
// blanks give way), so that no digit is ever cut off.
std::string right_aligned(std::string formatted) {
  constexpr std::size_t Width = 11;
  if (formatted.size() < Width) return std::string(Width - formatted.size(), ' ') + formatted;
  const std::size_t blanks = formatted.find_first_not_of(' ');
  const std::size_t drop = std::min(formatted.size() - Width, blanks == std::string::npos ? formatted.size() : blanks);
  return formatted.substr(drop);
}

// The text that stands in place of a concentration that could not be read: the side of the
// curve's range, in the field the concentration takes.
std::string side_field(Result_Kind kind, unsigned flags) {
  const std::string side = side_text(flags);
  return kind == Result_Kind::Sample ? right_aligned(side) : "  " + side;
}

Row tube_row(const Assay_State& s, Result_Kind kind, Long item, int t, Long tube_number, const Flag_Limits& limits) {
  switch (kind) {
    case Result_Kind::Standard_Conc: {
      const auto k = static_cast<std::size_t>(item + 3);
      return {{0, "  " + general_number(tube_number)},
              {1200, Format(s.STD_Data(k, STD_Column::Concentration), "   ###0.00")},
              {2400, Format(s.STD_Count(k, t), "     #####")},
              {6000, Format(s.STD_Conc(k, t), "   ###0.00")}};
    }
    case Result_Kind::Sera: {
      const unsigned side = unread_tube(s, kind, item, t, limits);
      return {{0, general_number(tube_number)},
              {1200, Format(s.Sera_Count(item, t), "      #####")},
              {2400, side != 0 ? side_field(kind, side) : Format(s.Sera_Conc(item, t), "  ####0.000")}};
    }
    default: {
      const unsigned side = unread_tube(s, kind, item, t, limits);
      return {{0, "  " + general_number(tube_number)},
              {1200, right_aligned(Format(s.Sample_Count(item, t), "     #####"))},
              {2400, side != 0 ? side_field(kind, side) : right_aligned(Format(s.Sample_Conc(item, t), "#####0.000"))}};
    }
  }
}

Row summary_cells(const Assay_State& s, Result_Kind kind, Long item) {
  switch (kind) {
    case Result_Kind::Standard_Conc: {
      const auto k = static_cast<std::size_t>(item + 3);
      return {{0, "  STD" + signed_text(item)},
              {3600, Format(s.STD_Data(k, STD_Column::Mean_Count), "      ####")},
              {4800, Format(s.STD_Data(k, STD_Column::Count_CV), "    ##0.00")},
              {7200, Format(s.STD_Data(k, STD_Column::Back_Mean), "  ####0.00")},
              {8400, Format(s.STD_Data(k, STD_Column::Back_CV), "    ##0.00")}};
    }
    case Result_Kind::Sera:
      return {{0, " Sera" + signed_text(item)},
              {3600, Format(s.Sera_Data(item, Sera_Column::Count_CV), "     ##0.00")},
              {4800, Format(s.Sera_Data(item, Sera_Column::Mean), "   ###0.000")},
              {6000, Format(s.Sera_Data(item, Sera_Column::Range), "  ####0.000")},
              {7200, Format(s.Sera_Data(item, Sera_Column::Conc_CV), "     ##0.00")}};
    default:
      return {{0, "  Sample" + signed_text(item)},
              {3600, right_aligned(Format(s.Sample_Data(item, Sample_Column::Count_CV), "    ##0.00"))},
              {4800, right_aligned(Format(s.Sample_Data(item, Sample_Column::Mean), "#####0.000"))},
              {6000, right_aligned(Format(s.Sample_Data(item, Sample_Column::Range), " ####0.000"))},
              {7200, right_aligned(Format(s.Sample_Data(item, Sample_Column::Value), "#####0.000"))},
              {8400, right_aligned(Format(s.Sample_Data(item, Sample_Column::Conc_CV), "    ##0.00"))},
              {9600, right_aligned(Format(s.Sample_Data(item, Sample_Column::Area_Code), "        ##"))}};
  }
}

// The summary row with the item's flags under the calculated concentration. An item without a
// usable tube shows its side in place of its mean (and value), and no statistics of concentrations.
Row summary_row(const Assay_State& s, Result_Kind kind, Long item, const Flag_Limits& limits) {
  Row row = summary_cells(s, kind, item);
  const unsigned flags = item_flags(s, kind, item, limits);
  if (kind != Result_Kind::Standard_Conc && usable_tubes(s, kind, item) == 0) {
    // Keeps the count CV (x 3600) and the area; the others are concentrations.
    std::erase_if(row, [](const Cell& cell) { return cell.x >= 4800 && cell.x <= 8400; });
    row.push_back({4800, side_field(kind, flags)});
    if (kind == Result_Kind::Sample) row.push_back({7200, side_field(kind, flags)});
  }
  const int flag_x = kind == Result_Kind::Standard_Conc ? 6000 : 2400;
  if (const std::string text = flags_text(flags); !text.empty()) row.push_back({flag_x, " " + text});
  return row;
}

// A sample's identifier in rows of its own under its summary row, across the whole table and
// wrapped where it is longer than the table is wide, so that it never covers a flag or another
// column; no rows for a sample without one.
std::vector<std::string> identifier_lines(const Assay_State& s, Result_Kind kind, Long item, int table_width) {
  std::vector<std::string> lines;
  if (kind != Result_Kind::Sample) return lines;
  std::string_view id = sample_id(s, item);
  const std::string lead = "  ID: ";
  // Columns of 100 twips (a half-width character at the rows' 10 points), one kept free at the right.
  const auto columns = static_cast<std::size_t>(table_width / 100 - 1) - lead.size();
  while (!id.empty()) {
    std::string part = text::clip_to_columns(id, columns);
    id.remove_prefix(part.size());
    lines.push_back((lines.empty() ? lead : std::string(lead.size(), ' ')) + part);
  }
  return lines;
}

// The item's 95 % interval in lines of the table's width, broken at blanks and continued lines
// indented, so that bounds of many digits never run past the table's edge; none without one.
// Without `texts` (pages only counted) the lines are left empty, and a line whose bounds are all
// below 1e7 is not made at all: at most eleven characters each, they fit every table's line.
std::vector<std::string> interval_lines(const Assay_State& s, Result_Kind kind,
                                        const std::optional<Concentration_Interval>& interval, int table_width,
                                        bool texts) {
  constexpr double One_Line_Bounds = 1e7;
  std::vector<std::string> lines;
  if (!interval) return lines;
  const double factor = kind == Result_Kind::Sample ? s.Dilution_Factor : 1;
  if (!texts && interval->upper < One_Line_Bounds && interval->upper * factor < One_Line_Bounds) return {""};
  const auto columns = static_cast<std::size_t>(table_width / 100 - 1) - 4;  // as the identifier's lines
  for (const std::string& part : text::wrap_at_blanks(interval_text(kind, interval, s.Dilution_Factor), columns))
    lines.push_back(texts ? (lines.empty() ? "  " : "    ") + part : "");
  return lines;
}

// The column headers at 8 points, or at 7 in a layout where one would fill its whole column
// ("Mean Calc Conc.") and so run into the rule and the next header in the fixed-pitch face.
double header_font(const Layout& layout) {
  constexpr double Character_Width_8 = 80;  // twips, a half-width character at 8 points
  for (const char* header : layout.headers)
    if (Character_Width_8 * static_cast<double>(std::string_view(header).find_last_not_of(' ') + 1) > Column_Step - 40)
      return 7;
  return 8;
}

// Rows are printed at 10 points: in the printer's fixed-pitch face a half-width character is
// then 100 twips, so the twelve-character fields stay inside their 1200-twip columns and no rule
// runs through a digit (at 12 points the last two characters of a field crossed the next rule).
constexpr double Row_Font = 10;

// Lays the rows out in pages; without a printer it only counts the pages.
class Page_Writer {
 public:
  Page_Writer(ui::Printer* printer, double printable_height, const Layout& layout, std::string title,
              const std::vector<std::string>& note)
      : printer_(printer), layout_(layout), title_(std::move(title)), note_(note) {
    // The first page ends its table early where the note would not fit under a full one.
    const int lines = printable_height > 0 ? static_cast<int>(printable_height / Row_Step) : 0;
    const int room = lines - static_cast<int>(note.size()) - 3;
    first_last_row_ = note.empty() || lines == 0 ? Last_Row_Line : std::clamp(room, 5, Last_Row_Line);
  }

  bool page_open() const { return line_ > 1; }
  bool page_full() const { return line_ >= (page_ == 1 ? first_last_row_ : Last_Row_Line); }
  int pages() const { return page_ - 1; }

  // A tube row opens a page when none is open; its item's summary row follows it directly.
  void tube_row(const Row& cells) {
    if (!page_open()) header();
    if (printer_ != nullptr) printer_->set_font_size(Row_Font);
    print_row(cells);
  }
  void summary_row(const Row& cells) { print_row(cells); }
  // A row across the whole table: no inner rule runs through it.
  void spanning_row(const std::string& text) {
    print_row({{0, text}});
    spanning_.push_back(line_);
  }

  void finish_page() {
    ++line_;
    if (printer_ != nullptr) rule_and_end();
    line_ = 1;
    ++page_;
    spanning_.clear();
  }

 private:
  void rule_and_end() {
    ui::Printer& printer = *printer_;
    const double bottom = Row_Step * line_;
    printer.rectangle(0, Header_Top, layout_.width, bottom);
    for (int c = 1; c <= layout_.inner_rules; ++c) {
      // From the header down, broken by the rows that span the table.
      double top = Header_Top;
      for (const int span : spanning_) {
        if (Row_Step * span > top) printer.line(Column_Step * c, top, Column_Step * c, Row_Step * span);
        top = Row_Step * (span + 1);
      }
      if (bottom > top) printer.line(Column_Step * c, top, Column_Step * c, bottom);
    }
    for (int r = 4; r < line_; ++r) printer.line(0, Row_Step * r, layout_.width, Row_Step * r);
    if (page_ == 1 && !note_.empty()) print_note(bottom);
    printer.end_document();
  }

  void header() {
    line_ = 3;
    if (printer_ == nullptr) return;
    ui::Printer& printer = *printer_;
    printer.set_font_size(14);
    printer.set_position(0, Row_Step);
    printer.print(title_, false);
    printer.set_font_size(8);
    printer.set_current_x(9600);
    printer.print("Page." + general_number(page_), false);
    if (const double font = header_font(layout_); font != printer.font_size()) printer.set_font_size(font);
    for (std::size_t c = 0; c < layout_.headers.size(); ++c) {
      printer.set_position(Column_Step * static_cast<double>(c), Header_Top);
      printer.print(layout_.headers[c], false);
    }
  }

  void print_note(double table_bottom) {
    printer_->set_font_size(Row_Font);
    for (std::size_t i = 0; i < note_.size(); ++i) {
      printer_->set_position(0, table_bottom + Row_Step * static_cast<double>(i + 1));
      printer_->print(note_[i], false);
    }
  }

  void print_row(const Row& cells) {
    ++line_;
    if (printer_ == nullptr) return;
    for (const Cell& cell : cells) {
      printer_->set_position(cell.x, Row_Step * line_);
      printer_->print(cell.text, false);
    }
  }

  ui::Printer* printer_;
  const Layout& layout_;
  std::string title_;
  const std::vector<std::string>& note_;
  int first_last_row_ = Last_Row_Line;
  int line_ = 1;  // L: the line of the last row printed on the open page; 1 before its header
  int page_ = 1;
  std::vector<int> spanning_;  // the lines of the open page's rows across the table
};

// Walks the table's rows through the pages; the rows' texts are made only when there is a
// printer. Stops at the end of a page once the printer's job has stopped.
long lay_out(const Assay_State& state, Result_Kind kind, ui::Printer* printer, double printable_height,
             const std::vector<std::string>& note) {
  Page_Writer pages(printer, printable_height, layout_of(kind), printer != nullptr ? table_title(state, kind) : "",
                    note);
  const Long items = item_count(state, kind);
  const Flag_Limits limits = flag_limits(state);
  // The intervals decide which items take a row of their own, so the pages are counted with them.
  const std::vector<std::optional<Concentration_Interval>> intervals =
      table_intervals(state, interval_basis(state), kind, limits);
  Long tube_number = 0;
  for (Long item = 1; item <= items; ++item) {
    const int tubes = measured_tubes(state, kind, item);
    for (int t = 1; t <= tubes; ++t) {
      ++tube_number;
      pages.tube_row(printer != nullptr ? tube_row(state, kind, item, t, tube_number, limits) : Row{});
      if (t == tubes) {
        pages.summary_row(printer != nullptr ? summary_row(state, kind, item, limits) : Row{});
        for (const std::string& line : interval_lines(state, kind, intervals[static_cast<std::size_t>(item)],
                                                      layout_of(kind).width, printer != nullptr))
          pages.spanning_row(line);
        for (const std::string& line : identifier_lines(state, kind, item, layout_of(kind).width))
          pages.spanning_row(line);
      }
      if (pages.page_full()) {
        pages.finish_page();
        if (printer != nullptr && printer->stopped()) return pages.pages();
      }
    }
  }
  if (pages.page_open()) pages.finish_page();
  return pages.pages();
}

}  // namespace

long result_table_pages(const Assay_State& state, Result_Kind kind, double printable_height,
                        const std::vector<std::string>& note) {
  return lay_out(state, kind, nullptr, printable_height, note);
}

long print_result_table(const Assay_State& state, Result_Kind kind, ui::Printer& printer,
                        const std::vector<std::string>& note) {
  return lay_out(state, kind, &printer, printer.printable_height(), note);
}

void Result_PRT(Program& program) {
  const Integer table = program.state.Result_Table;
  const bool printable = table >= 1 && table <= 3;
  const auto kind = static_cast<Result_Kind>(table);
  if (printable && !Bring_Table_Up_To_Date(program, kind)) return;
  // The control-serum printout carries the judgement of the sera against the history.
  const std::vector<std::string> note =
      printable && kind == Result_Kind::Sera ? QC_Verdict_Lines(program) : std::vector<std::string>{};
  const long pages =
      printable ? result_table_pages(program.state, kind, program.platform.printer().printable_height(), note) : 0;
  if (pages == 0) {
    program.platform.message("印刷する測定結果がありません");
    return;
  }
  const ui::Job_Outcome outcome = ui::run_print_job(
      program.platform, pages, [&](ui::Printer& printer) { print_result_table(program.state, kind, printer, note); },
      screen_print_job(program.state));
  ui::tell_job_outcome(program.platform, outcome, /*announce_printed=*/true);
}

}  // namespace quorin
