// The standard plot view: the treated standards before any curve is fitted, as B/B0 (plot 0) and
// as logit of B/B0 (plot 1) against ln(concentration), from standard 1 to the last standard.
#include <cmath>

#include "engine/plot_axes.h"
#include "engine/treatment_standard.h"
#include "graph/reg_graph.h"
#include "state/basis.h"
#include "state/commands.h"
#include "state/program.h"

namespace quorin {

namespace {

// The vertical layout of one standard plot: its range (the vertical coordinate is the negated
// value, so that large values stand at the top), where its dotted grid lines lie, and the column
// of STD_Data it shows.
struct Standard_Scale {
  double top;  // the negated value at the top edge
  double height;
  double grid_from, grid_to, grid_step;
  int column;
};

constexpr Standard_Scale Percent_Scale{-100, 100, 0, 100, 10, 3};
constexpr Standard_Scale Logit_Scale{-Logit_Limit, 2 * Logit_Limit, -3, 3, 1, 8};

// The plot reaches a little beyond the first and last standards and the ends of the scale, so
// that a standard's circle there is drawn whole inside the frame, clear of its border.
void plot_standards(ui::Picture_Area& plot, const Assay_State& state, const Standard_Scale& scale) {
  const int n = state.STD_Number;
  auto x_of = [&state](int i) { return std::log(state.STD_Data(3 + i, STD_Column::Concentration)); };
  const double x_first = x_of(1), x_last = x_of(n);
  const double radius = std::fabs(x_last - x_first) / 80;
  constexpr double Border = 30;  // twips between a circle and the frame: two pixels
  // Concentrations entered highest first run the axis the other way.
  const double x_margin = (x_last >= x_first ? 3 : -3) * radius, width = x_last - x_first + 2 * x_margin;
  const double radius_twips = plot.width * radius / std::fabs(width);
  const double y_margin = (radius_twips + Border) / plot.height * scale.height;

  plot.clear();
  plot.scale(x_first - x_margin, scale.top - y_margin, width, scale.height + 2 * y_margin);
  plot.draw_style = ui::Draw_Style::Dotted;
  for (double value = scale.grid_from; value <= scale.grid_to; value += scale.grid_step)
    plot.line(x_first, -value, x_last, -value, ui::Light_Grey);
  for (int i = 1; i <= n; ++i) plot.line(x_of(i), scale.top, x_of(i), scale.top + scale.height, ui::Light_Grey);
  plot.draw_style = ui::Draw_Style::Solid;
  for (int i = 1; i <= n; ++i) plot.circle_inside(x_of(i), -state.STD_Data(3 + i, scale.column), radius, ui::Yellow);
}

}  // namespace

void Reg_Graph::Standard_Plotting() {
  report_.forget();
  caption = Plot_Caption;
  Command[target::Switch_View].caption = "検量線表示";
  show_drawing(true);
  show_curve_view(false);
  set_ticks({"100", "50", "0"}, {300, 2800, 5300});
  Title[0].caption = "log(標準品濃度)-Ｂ／Ｂo";
  Title[1].caption = "log(標準品濃度)-logit(Ｂ／Ｂo)";

  // The standards as their counts stand now (button 8 draws this view without the dispatcher's
  // treatment).
  Treatment_Standard(state_);
  if (const std::string problem = plot_problem(state_); !problem.empty()) {
    Picture1[0].clear();
    Picture1[1].clear();
    state_.Plot_Stage = Curve_Stage::Nothing;  // nothing could be drawn
    drawn_basis_ = 0;
    return program_.platform.message(problem);
  }
  state_.Plot_Stage = Curve_Stage::Standard_Plot;
  drawn_basis_ = basis_digest(state_, Basis::Curve);
  plot_standards(Picture1[0], state_, Percent_Scale);
  plot_standards(Picture1[1], state_, Logit_Scale);
  // Each tick label centred on its value's height in plot 0.
  const ui::Picture_Area& plot = Picture1[0];
  auto top_of = [&plot](double percent) {
    return plot.top + static_cast<int>((-percent - plot.scale_top) / plot.scale_height * plot.height) - 60;
  };
  set_ticks({"100", "50", "0"}, {top_of(100), top_of(50), top_of(0)});
}

}  // namespace quorin
