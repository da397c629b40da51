// The fitted-curve view: the four weightings side by side, each plot with its straight line
// (yellow) and its cubic (green), the equations, the ED50 values and the ED tables; and the
// administrator's read-out of an ED value by clicking a plot.
#include <cmath>
#include <memory>

#include "engine/fit_choice.h"
#include "engine/plot_axes.h"
#include "engine/response.h"
#include "engine/solve.h"
#include "engine/weight_table.h"
#include "graph/reg_graph.h"
#include "state/commands.h"
#include "state/program.h"
#include "text/format.h"
#include "text/number_text.h"

namespace quorin {

namespace {

// A coefficient as its equation shows it: "+" before a positive one unless it leads the
// equation. One that rounds to zero reads "0" rather than the bare point of its pattern.
std::string coefficient_text(double value, bool leading) {
  const std::string text = text::Format(value, "#####.#####");
  const double shown = text::Val(text);
  if (shown == 0) return "0";
  return (shown > 0 && !leading ? "+" : "") + text;
}

// A concentration read off a curve; 0 stands for none (an unavailable fit, or beyond e^700).
std::string concentration_text(double concentration) {
  return concentration > 0 ? text::Format(concentration, "#.#####") : No_Value_Text;
}

using Curve_Function = double (*)(const Assay_State&, double);

void trace(ui::Picture_Area& plot, const Assay_State& state, const Curve_Axis& axis, Curve_Function curve,
           ui::Colour colour) {
  plot.point(axis.at(0), -curve(state, axis.at(0)), colour);
  for (int step = 1; step <= Curve_Axis::Steps; ++step)
    plot.line_to(axis.at(step), -curve(state, axis.at(step)), colour);
}

}  // namespace

void Reg_Graph::Regression_Curves(const Weight_Grids& grids) {
  caption = Curves_Caption;
  Command[target::Switch_View].caption = "PLOT表示";
  show_drawing(true);
  show_curve_view(true);
  set_ticks({"3", "0", "-3"}, {660, 2760, 4860});

  ED_Grid.resize(102, 9);
  Limit_Grid.resize(4, 9);
  for (int column = 0; column <= 8; ++column) {
    ED_Grid.set_column_width(column, grids.column_width(column));
    Limit_Grid.set_column_width(column, grids.column_width(column));
    for (int row = 0; row <= 101; ++row) ED_Grid.set_cell(row, column, grids.ed(row, column));
    for (int row = 0; row <= 3; ++row) Limit_Grid.set_cell(row, column, grids.detection(row, column));
  }

  for (int w = 0; w < 4; ++w) {
    load_coefficients(state_, w);
    Title[w].caption = state_.Weight_Name(w);
    draw_curves(w);
    write_equations(w);
  }
  // Every later solving (results, read-back of the standards) uses the chosen fit.
  load_coefficients(state_, state_.Weight_Type);
  select_chosen_fit();
}

// Plot w with the coefficients of weighting w current.
void Reg_Graph::draw_curves(int w) {
  const Curve_Axis axis = curve_axis(state_);
  ui::Picture_Area& plot = Picture1[w];
  plot.clear();
  // The vertical coordinate is -logit, so that high responses stand at the top.
  plot.scale(axis.left, -Logit_Limit, axis.width, 2 * Logit_Limit);
  plot.draw_style = ui::Draw_Style::Solid;
  plot.line(axis.left, 0, axis.right(), 0, ui::Light_Grey);
  for (int logit_value = -3; logit_value <= 3; ++logit_value)
    plot.line(axis.left, logit_value, axis.tick_end, logit_value, ui::Light_Grey);

  if (fit_available(state_, w, 3)) trace(plot, state_, axis, cubic_at, ui::Green);
  if (fit_available(state_, w, 1)) trace(plot, state_, axis, line_at, ui::Yellow);

  Cross_H[w].set(axis.left, 0, axis.right(), 0);
  const double ed50 = state_.ED50_Value(w);
  if (ed50 > 0) Cross_V[w].set(std::log(ed50), -Logit_Limit, std::log(ed50), Logit_Limit);
  else Cross_V[w].visible = false;

  const double radius = std::fabs(axis.x_last - axis.x_first) / 80;
  for (int i = 1; i <= state_.STD_Number; ++i) {
    const double x = state_.STD_Log_Conc(i);
    plot.line(x, -0.1, x, 0.1, ui::Yellow);
    plot.circle_inside(x, -state_.STD_Data(3 + i, STD_Column::Logit), radius, ui::Yellow);
  }
}

// The labels under plot w: its range, both equations and both ED50 values. A fit that could not be
// computed shows a dash for its equation and its ED50, and its choice button is disabled.
void Reg_Graph::write_equations(int w) {
  const auto& work = state_.Reg_Work;
  const bool line = fit_available(state_, w, 1);
  const bool cubic = fit_available(state_, w, 3);
  for (int k = 0; k < 6; ++k) {
    const bool available = k < 2 ? line : cubic;
    const bool leading = k == 1 || k == 2;
    Coefficient[6 * w + k].caption =
        available ? coefficient_text(work(34 - k), leading) : (leading ? No_Value_Text : "");
  }
  Term[4 * w].visible = line;
  for (int t = 1; t < 4; ++t) Term[4 * w + t].visible = cubic;
  Choice[2 * w].enabled = line;
  Choice[2 * w + 1].enabled = cubic;

  Range_Label[3 * w].caption =
      "FROM ST " + text::signed_text(state_.Fit_From) + " TO " + text::signed_text(state_.Fit_To);
  Range_Label[3 * w + 1].caption = "ED50 = " + concentration_text(state_.ED50_Value(fit_index(w, 1)));
  Range_Label[3 * w + 2].caption = "ED50 = " + concentration_text(state_.ED50_Value(fit_index(w, 3)));
}

// Administrator mode: the chosen fit solved at the clicked height, whichever plot was clicked; the
// crosshair of that plot marks the point and its label for the chosen order shows the ED value.
void Reg_Graph::read_off_curve(int plot, double y) {
  if (state_.Admin_Mode != 1 || state_.Plot_Stage != Curve_Stage::Curves) return;
  if (!use_selected_fit(state_)) return program_.platform.message(selected_fit_unavailable_message(state_));
  state_.Target_Logit = -y;
  Solution_of_Equations(state_);
  const double x = state_.Reg_Work(Reg_Slot::Answer);

  const Curve_Axis axis = curve_axis(state_);
  Cross_H[plot].set(axis.left, y, axis.right(), y);
  Cross_V[plot].set(x, -Logit_Limit, x, Logit_Limit);
  Cross_H[plot].visible = Cross_V[plot].visible = true;

  const double ed = text::round_half_even(50 - 100 * y / 7);
  Range_Label[3 * plot + (state_.Reg_Order == 1 ? 1 : 2)].caption =
      "ED" + text::Format(ed, "##0") + " = " + concentration_text(concentration_of(x).value_or(0));
}

}  // namespace quorin
