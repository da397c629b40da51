#include "results/result_prt.h"

#include <algorithm>
#include <vector>

#include "state/program.h"
#include "state/screen_procedures.h"
#include "text/format.h"

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

// The sample layout right-aligns its numbers in 12 characters. A longer text is printed whole
// (only its leading blanks give way), so that no digit is ever cut off.
std::string right_aligned(std::string formatted) {
  constexpr std::size_t Width = 12;
  if (formatted.size() < Width) return std::string(Width - formatted.size(), ' ') + formatted;
  const std::size_t blanks = formatted.find_first_not_of(' ');
  const std::size_t drop = std::min(formatted.size() - Width, blanks == std::string::npos ? formatted.size() : blanks);
  return formatted.substr(drop);
}

Row tube_row(const Assay_State& s, Result_Kind kind, Long item, int t, Long tube_number) {
  switch (kind) {
    case Result_Kind::Standard_Conc: {
      const auto k = static_cast<std::size_t>(item + 3);
      return {{0, "  " + general_number(tube_number)},
              {1200, Format(s.STD_Data(k, 0), "   ###0.00")},
              {2400, Format(s.STD_Count(k, t), "     #####")},
              {6000, Format(s.STD_Conc(k, t), "   ###0.00")}};
    }
    case Result_Kind::Sera:
      return {{0, general_number(tube_number)},
              {1200, Format(s.Sera_Count(item, t), "      #####")},
              {2400, Format(s.Sera_Conc(item, t), "  ####0.000")}};
    default:
      return {{0, "  " + general_number(tube_number)},
              {1200, right_aligned(Format(s.Sample_Count(item, t), "     #####"))},
              {2400, right_aligned(Format(s.Sample_Conc(item, t), "#####0.000"))}};
  }
}

Row summary_row(const Assay_State& s, Result_Kind kind, Long item) {
  switch (kind) {
    case Result_Kind::Standard_Conc: {
      const auto k = static_cast<std::size_t>(item + 3);
      return {{0, "  STD" + signed_text(item)},
              {3600, Format(s.STD_Data(k, 1), "      ####")},
              {4800, Format(s.STD_Data(k, 2), "    ##0.00")},
              {7200, Format(s.STD_Data(k, 4), "  ####0.00")},
              {8400, Format(s.STD_Data(k, 6), "    ##0.00")}};
    }
    case Result_Kind::Sera:
      return {{0, " Sera" + signed_text(item)},
              {3600, Format(s.Sera_Data(item, 5), "     ##0.00")},
              {4800, Format(s.Sera_Data(item, 1), "   ###0.000")},
              {6000, Format(s.Sera_Data(item, 2), "  ####0.000")},
              {7200, Format(s.Sera_Data(item, 3), "     ##0.00")}};
    default:
      return {{0, "  Sample" + signed_text(item)},
              {3600, right_aligned(Format(s.Sample_Data(item, 5), "    ##0.00"))},
              {4800, right_aligned(Format(s.Sample_Data(item, 1), "#####0.000"))},
              {6000, right_aligned(Format(s.Sample_Data(item, 2), " ####0.000"))},
              {7200, right_aligned(Format(s.Sample_Data(item, 3), "#####0.000"))},
              {8400, right_aligned(Format(s.Sample_Data(item, 4), "    ##0.00"))},
              {9600, right_aligned(Format(s.Sample_Data(item, 0), "        ##"))}};
  }
}

// Rows are printed at 10 points: in the printer's fixed-pitch face a half-width character is
// then 100 twips, so the twelve-character fields stay inside their 1200-twip columns and no rule
// runs through a digit (at 12 points the last two characters of a field crossed the next rule).
constexpr double Row_Font = 10;

class Page_Writer {
 public:
  Page_Writer(ui::Printer& printer, const Layout& layout, std::string title, const std::vector<std::string>& note)
      : printer_(printer), layout_(layout), title_(std::move(title)), note_(note) {
    // The first page ends its table early where the note would not fit under a full one.
    const int lines = printer.printable_height() > 0 ? static_cast<int>(printer.printable_height() / Row_Step) : 0;
    const int room = lines - static_cast<int>(note.size()) - 3;
    first_last_row_ = note.empty() || lines == 0 ? Last_Row_Line : std::clamp(room, 5, Last_Row_Line);
  }

  bool page_open() const { return line_ > 1; }
  bool page_full() const { return line_ >= (page_ == 1 ? first_last_row_ : Last_Row_Line); }
  int pages() const { return page_ - 1; }

  // A tube row opens a page when none is open; its item's summary row follows it directly.
  void tube_row(const Row& cells) {
    if (!page_open()) header();
    printer_.set_font_size(Row_Font);
    print_row(cells);
  }
  void summary_row(const Row& cells) { print_row(cells); }

  void finish_page() {
    ++line_;
    const double bottom = Row_Step * line_;
    printer_.rectangle(0, Header_Top, layout_.width, bottom);
    for (int c = 1; c <= layout_.inner_rules; ++c) printer_.line(Column_Step * c, Header_Top, Column_Step * c, bottom);
    for (int r = 4; r < line_; ++r) printer_.line(0, Row_Step * r, layout_.width, Row_Step * r);
    if (page_ == 1 && !note_.empty()) print_note(bottom);
    printer_.end_document();
    line_ = 1;
    ++page_;
  }

 private:
  void header() {
    printer_.set_font_size(14);
    printer_.set_position(0, Row_Step);
    printer_.print(title_, false);
    printer_.set_font_size(8);
    printer_.set_current_x(9600);
    printer_.print("Page." + general_number(page_), false);
    for (std::size_t c = 0; c < layout_.headers.size(); ++c) {
      printer_.set_position(Column_Step * static_cast<double>(c), Header_Top);
      printer_.print(layout_.headers[c], false);
    }
    line_ = 3;
  }

  void print_note(double table_bottom) {
    printer_.set_font_size(Row_Font);
    for (std::size_t i = 0; i < note_.size(); ++i) {
      printer_.set_position(0, table_bottom + Row_Step * static_cast<double>(i + 1));
      printer_.print(note_[i], false);
    }
  }

  void print_row(const Row& cells) {
    ++line_;
    for (const Cell& cell : cells) {
      printer_.set_position(cell.x, Row_Step * line_);
      printer_.print(cell.text, false);
    }
  }

  ui::Printer& printer_;
  const Layout& layout_;
  std::string title_;
  const std::vector<std::string>& note_;
  int first_last_row_ = Last_Row_Line;
  int line_ = 1;  // L: the line of the last row printed on the open page; 1 before its header
  int page_ = 1;
};

}  // namespace

int print_result_table(const Assay_State& state, Result_Kind kind, ui::Printer& printer,
                       const std::vector<std::string>& note) {
  Page_Writer pages(printer, layout_of(kind), table_title(state, kind), note);
  const Long items = item_count(state, kind);
  Long tube_number = 0;
  for (Long item = 1; item <= items; ++item) {
    const int tubes = measured_tubes(state, kind, item);
    for (int t = 1; t <= tubes; ++t) {
      pages.tube_row(tube_row(state, kind, item, t, ++tube_number));
      if (t == tubes) pages.summary_row(summary_row(state, kind, item));
      if (pages.page_full()) pages.finish_page();
    }
  }
  if (pages.page_open()) pages.finish_page();
  return pages.pages();
}

void Result_PRT(Program& program) {
  const Integer table = program.state.Result_Table;
  ui::Printer& printer = program.platform.printer();
  const bool printable = table >= 1 && table <= 3;
  const auto kind = static_cast<Result_Kind>(table);
  // The control-serum printout carries the judgement of the sera against the history.
  const std::vector<std::string> note =
      printable && kind == Result_Kind::Sera ? QC_Verdict_Lines(program) : std::vector<std::string>{};
  if (!printable || print_result_table(program.state, kind, printer, note) == 0) {
    program.platform.message("印刷する測定結果がありません");
    return;
  }
  if (const std::string finished = ui::print_finished_text(printer); !finished.empty())
    program.platform.message(finished);
}

}  // namespace quorin
