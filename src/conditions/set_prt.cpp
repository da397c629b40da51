// The conditions printout: the texts of the conditions as shown, one per line.
#include <algorithm>

#include "conditions/conditions_procedures.h"
#include "conditions/set_prt.h"
#include "state/page_identity.h"
#include "state/program.h"
#include "text/format.h"
#include "text/number_text.h"
#include "ui/print_job.h"

namespace quorin {

namespace {

struct Printed_Field {
  const char* label;
  int box;
  bool blank_after = true;
};
constexpr Printed_Field Printed_Fields[] = {
    {"    実験担当者 : ", 0},
    {"    実  験  日 :", 1},
    {"    測定物質名 :", 3},
    {"    単      位 : ", 4},
    {"    アッセイＮｏ     : ", 5},
    {"    スタンダード点数 : ", 6},
    {"    スタンダードごとのチューブ数 : ", 7},
    {"    管理血清の点数 : ", 8},
    // The samples' count takes the empty line under the tubes per serum, so that every line
    // below it keeps its place on the page (a page of 20 standards has no line to spare).
    {"    管理血清ごとのチューブ数 : ", 9, false},
    {"    サンプル数 : ", 10, false},
    {"    サンプルごとのチューブ数 : ", 11},
    {"    希 釈 係 数 : ", 12},
};

}  // namespace

void print_conditions(Program& program, ui::Printer& printer) {
  const auto& texts = program.state.Condition_Texts;

  printer.print("");
  printer.print("");
  for (const Printed_Field& field : Printed_Fields) {
    printer.print(field.label + texts[static_cast<std::size_t>(field.box)]);
    if (field.blank_after) printer.print("");
  }
  // The standards as field 6 shows them, kept to the fields there are.
  const double shown = text::round_half_even(text::Val(texts[6]));
  const int n = static_cast<int>(std::clamp(shown, 0.0, static_cast<double>(Max_Standards)));
  for (int k = 1; k <= n; ++k) {
    printer.print("    STD " + text::general_number(k) + text::Format_Text(texts[static_cast<std::size_t>(12 + k)], "  #0.0000"));
    printer.print("");
  }
  printer.end_document();
}

void Set_PRT(Program& program) {
  const ui::Job_Outcome outcome = ui::run_print_job(
      program.platform, 1, [&](ui::Printer& printer) { print_conditions(program, printer); },
      screen_print_job(program.state));
  ui::tell_job_outcome(program.platform, outcome, /*announce_printed=*/true);
}

}  // namespace quorin
