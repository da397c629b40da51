// The graph printout: what the curve screen shows, on paper. After the standard plot, the page of
// the standards (B/B0 and logit against ln(concentration)); after the regression, the page of the
// four weightings stacked, each with its curves, equations and ED50 values. On paper nothing is
// clipped, so every mark that would leave its frame is kept inside it or left out.
#include "graph/graph_prt.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "engine/fit_choice.h"
#include "engine/plot_axes.h"
#include "graph/graph_procedures.h"
#include "graph/reg_graph.h"
#include "state/page_identity.h"
#include "state/program.h"
#include "text/format.h"
#include "text/number_text.h"
#include "ui/print_job.h"
#include "ui/scaled_page.h"

namespace quorin {

namespace {

using ui::Scaled_Page;

constexpr double Mark_Radius = 60;       // the circle of a standard
constexpr double Dot_Radius = 4;         // the dots of the straight line
constexpr double Character_Width = 100;  // a half-width character at 10 points in the fixed-pitch face
constexpr double Tick_Inset = 40;        // between a tick label and what it would touch

// One plot of the standard page: a 5000 x 5000 frame from x = 1000, the values value_bottom to
// value_top from its bottom to its top, dashed grid lines at the values grid_from..grid_to.
struct Paper_Standard_Plot {
  const char* title;
  double title_y;
  double frame_top;
  double value_bottom, value_top;
  double grid_from, grid_to, grid_step;
  int column;                                           // of STD_Data
  double tick_x;                                        // the tick labels end here
  std::array<std::pair<const char*, double>, 3> ticks;  // text, value
};

constexpr Paper_Standard_Plot Percent_Plot{
    "log(標準品濃度)-Ｂ／Ｂo", 600, 1000, 0, 100, 0, 100, 10, 3, 1000, {{{"100", 100}, {"50", 50}, {"0", 0}}}};
constexpr Paper_Standard_Plot Logit_Plot{"log(標準品濃度)-logit(Ｂ／Ｂo)",
                                         6600,
                                         7000,
                                         -Logit_Limit,
                                         Logit_Limit,
                                         -3,
                                         3,
                                         1,
                                         8,
                                         1000,
                                         {{{"+3.5", Logit_Limit}, {"   0", 0}, {"-3.5", -Logit_Limit}}}};

// The standards and the values stand this far inside the frame, so that a circle at either end is
// drawn whole, clear of the frame.
constexpr double Frame_Inset = Mark_Radius + 40;

void print_standard_plot(Scaled_Page& page, const Assay_State& s, const Paper_Standard_Plot& plot) {
  const int n = s.STD_Number;
  auto x_of = [&s](int i) { return std::log(s.STD_Data(3 + i, STD_Column::Concentration)); };
  const double x_first = x_of(1), x_last = x_of(n);
  constexpr double Inner = 5000 - 2 * Frame_Inset;
  auto X = [&](double x) { return 1000 + Frame_Inset + Inner * (x - x_first) / (x_last - x_first); };
  auto Y = [&plot](double value) {
    return plot.frame_top + Frame_Inset + Inner * (plot.value_top - value) / (plot.value_top - plot.value_bottom);
  };
  const double frame_bottom = plot.frame_top + 5000;

  page.font(14);
  page.text(1000, plot.title_y, plot.title);
  page.font(10);
  page.rectangle(1000, plot.frame_top, 6000, frame_bottom);
  page.style(ui::Draw_Style::Dashed);
  for (double value = plot.grid_from; value <= plot.grid_to; value += plot.grid_step)
    page.line(X(x_first), Y(value), X(x_last), Y(value));
  for (int i = 1; i <= n; ++i) page.line(X(x_of(i)), Y(plot.value_bottom), X(x_of(i)), Y(plot.value_top));
  page.style(ui::Draw_Style::Solid);
  for (int i = 1; i <= n; ++i) {
    const double value = s.STD_Data(3 + i, plot.column);
    if (value >= plot.value_bottom && value <= plot.value_top) page.circle(X(x_of(i)), Y(value), Mark_Radius);
  }
  // The tick labels end just left of the frame (in the fixed-pitch face they would run into the
  // frame and the title).
  for (const auto& [text, value] : plot.ticks)
    page.text(plot.tick_x - Tick_Inset - Character_Width * static_cast<double>(std::string_view(text).size()),
              Y(value) - 200, text);
  // The labels stand evenly along the axis, whatever the concentrations, below the circles of
  // standards on the bottom edge; where they are too close to stand side by side, every other one
  // stands a line lower.
  const double step = 5000.0 / (n - 1);
  const bool staggered = Character_Width * static_cast<double>(("STD" + text::bare_text(n)).size()) + 40 > step;
  for (int j = 0; j <= n - 1; ++j)
    page.text(800 + step * j, frame_bottom + Mark_Radius + (staggered && j % 2 == 1 ? 220 : 0),
              "STD" + text::bare_text(j + 1));
}

}  // namespace

void print_standard_page(Program& program, ui::Printer& printer) {
  const Assay_State& s = program.state;
  if (const std::string problem = plot_problem(s); !problem.empty()) return program.platform.message(problem);
  Scaled_Page page(printer, page_scale(printer.printable_height(), Standard_Page_Height));
  print_standard_plot(page, s, Percent_Plot);
  print_standard_plot(page, s, Logit_Plot);
  page.end();
}

namespace {

std::string coefficient_text(double value, bool available) {
  return available ? text::Format(value, "######0.0000000") : No_Value_Text;
}

std::string ed50_text(double value) { return value > 0 ? text::Format(value, "0.00000") : No_Value_Text; }

// B0/T in percent: the zero standard's mean count less the NSB mean, against the TOTAL mean.
std::string b0_t_text(const Assay_State& s) {
  if (s.STD_Data(STD_Row::Total, STD_Column::Mean_Count) == 0) return No_Value_Text;
  return text::Format(
      (s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count) - s.STD_Data(STD_Row::NSB, STD_Column::Mean_Count)) /
          s.STD_Data(STD_Row::Total, STD_Column::Mean_Count) * 100,
      "##0.0000");
}

// The block of weighting w, its top at 4000 w, with the coefficients of weighting w current.
void print_regression_block(Scaled_Page& page, const Assay_State& s, int w) {
  const double top = 4000.0 * w;
  const Curve_Axis axis = curve_axis(s);
  auto X = [&axis](double x) { return 1000 + 3500 * (x - axis.left) / axis.width; };
  auto Y = [top](double logit_value) { return top + 2500 - (4000.0 / 7) * logit_value; };
  auto inside = [](double logit_value) { return logit_value >= -Logit_Limit && logit_value <= Logit_Limit; };
  const bool line = fit_available(s, w, 1);
  const bool cubic = fit_available(s, w, 3);

  page.rectangle(1000, top + 500, 4500, top + 4500);
  page.line(1000, Y(0), 4500, Y(0));
  for (int logit_value = -3; logit_value <= 3; ++logit_value)
    page.line(1000, Y(logit_value), X(axis.tick_end), Y(logit_value));

  if (cubic) {
    // Where the cubic leaves the logit range it runs along the top or bottom edge of the frame.
    auto clipped = [&](int step) { return std::clamp(cubic_at(s, axis.at(step)), -Logit_Limit, Logit_Limit); };
    page.point(X(axis.at(0)), Y(clipped(0)));
    for (int step = 1; step <= Curve_Axis::Steps; ++step)
      page.line(X(axis.at(step - 1)), Y(clipped(step - 1)), X(axis.at(step)), Y(clipped(step)));
  }
  if (line) {
    for (int step = 0; step <= Curve_Axis::Steps; step += 3) {
      const double logit_value = line_at(s, axis.at(step));
      if (inside(logit_value)) page.circle(X(axis.at(step)), Y(logit_value), Dot_Radius);
    }
  }
  // A standard near the top or bottom edge stands against it, its circle whole inside the frame.
  constexpr double Edge = (Mark_Radius + 20) / (4000.0 / 7);
  for (int i = 1; i <= s.STD_Number; ++i) {
    const double x = X(s.STD_Log_Conc(i));
    const double logit_value = s.STD_Data(3 + i, STD_Column::Logit);
    page.line(x, Y(0.1), x, Y(-0.1));
    if (inside(logit_value))
      page.circle(x, Y(std::clamp(logit_value, -Logit_Limit + Edge, Logit_Limit - Edge)), Mark_Radius);
  }

  const auto& work = s.Reg_Work;
  page.font(14);
  page.text(6000, top + 800, s.Weight_Name(w));
  page.font(10);
  const std::pair<double, std::string> texts[] = {
      {1600, "FROM ST " + text::signed_text(s.Fit_From) + " TO " + text::signed_text(s.Fit_To)},
      {2000, "B0/T %= " + b0_t_text(s)},
      {2400, "１次式　Ｘ１乗の係数 = " + coefficient_text(work(33), line)},
      {2600, "　　　　　Ｘ０乗の係数 = " + coefficient_text(work(34), line)},
      {2800, "ED50 = " + ed50_text(s.ED50_Value(fit_index(w, 1)))},
      {3200, "３次式　Ｘ３乗の係数 = " + coefficient_text(work(32), cubic)},
      {3400, "　　　　　Ｘ２乗の係数 = " + coefficient_text(work(31), cubic)},
      {3600, "　　　　　Ｘ１乗の係数 = " + coefficient_text(work(30), cubic)},
      {3800, "　　　　　Ｘ０乗の係数 = " + coefficient_text(work(29), cubic)},
      {4000, "ED50 = " + ed50_text(s.ED50_Value(fit_index(w, 3)))},
  };
  for (const auto& [y, text] : texts) page.text(6000, top + y, text);
  page.font(8);
  page.text(600, top + 900, "+3.0");
  page.text(600, top + 2400, "   0");
  page.text(600, top + 3900, "-3.0");
}

}  // namespace

void print_regression_page(Program& program, ui::Printer& printer) {
  Assay_State& s = program.state;
  Scaled_Page page(printer, page_scale(printer.printable_height(), Regression_Page_Height));
  // The blocks load each weighting's coefficients in turn; the current fit is put back after them.
  std::array<double, 6> current{};
  for (int m = 0; m < 6; ++m) current[m] = s.Reg_Work(Reg_Slot::A0 + m);
  for (int w = 0; w < Weight_Count; ++w) {
    load_coefficients(s, w);
    print_regression_block(page, s, w);
  }
  page.font(10);
  for (int m = 0; m < 6; ++m) s.Reg_Work(Reg_Slot::A0 + m) = current[m];
  page.end();
}

double page_scale(double printable_height, double layout_height) {
  return printable_height > 0 ? std::min(1.0, printable_height / layout_height) : 1.0;
}

long standard_page_count(const Program& program) { return plot_problem(program.state).empty() ? 1 : 0; }

// The printout is always of the standards in force: a view out of date is drawn afresh first.
void Graph_PRT(Program& program) {
  auto* screen = program.screen_as<Reg_Graph>(Screen::Graph);
  if (screen != nullptr && program.state.Plot_Stage != Curve_Stage::Nothing && !screen->drawing_in_force() &&
      !screen->Redraw_View())
    return;
  const Curve_Stage stage = program.state.Plot_Stage;
  if (stage == Curve_Stage::Nothing || screen == nullptr)
    return program.platform.message("印刷するグラフがありません。検量線表示でグラフを描いてから印刷してください");
  const long pages = stage == Curve_Stage::Standard_Plot ? standard_page_count(program) : 1;
  const ui::Job_Outcome outcome = ui::run_print_job(
      program.platform, pages,
      [&](ui::Printer& printer) {
        if (stage == Curve_Stage::Standard_Plot) print_standard_page(program, printer);
        else print_regression_page(program, printer);
      },
      screen_print_job(program.state));
  ui::tell_job_outcome(program.platform, outcome, /*announce_printed=*/false);
}

}  // namespace quorin
