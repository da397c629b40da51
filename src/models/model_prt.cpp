// The model printout: one page with the picture of the model screen (the standard tubes, the
// chosen logit-log fit solid, the 4PL dashed, the 5PL dotted) and its comparison table, the ED
// values every 10 %.
#include <algorithm>
#include <cmath>
#include <sstream>

#include "engine/result_curve.h"
#include "graph/concentration_ticks.h"
#include "graph/graph_procedures.h"
#include "graph/graph_prt.h"
#include "models/model_plot.h"
#include "models/model_procedures.h"
#include "models/model_prt.h"
#include "models/model_table.h"
#include "state/basis.h"
#include "state/page_identity.h"
#include "state/program.h"
#include "text/format.h"
#include "text/text_clean.h"
#include "ui/print_job.h"
#include "ui/scaled_page.h"

namespace quorin {

namespace {

// Page layout, in twips.
constexpr double Left = 1000;
constexpr double Frame_Top = 1500, Frame_Width = 5000, Frame_Height = 4000;
constexpr double Table_Top = 5900, Row_Step = 220;
constexpr double Column_X[1 + Model_Kinds] = {1000, 3000, 5600, 8200};
constexpr double Tube_Radius = 40, Dot_Radius = 8;

using Page = ui::Scaled_Page;

void print_picture(Page& page, const Assay_State& state, const Model_Comparison& c) {
  const Curve_Axis axis = curve_axis(state);
  auto X = [&axis](double x) { return Left + Frame_Width * (x - axis.left) / axis.width; };
  auto Y = [](double p) {
    return Frame_Top + Frame_Height * (Plot_Top_Percent - p) / (Plot_Top_Percent - Plot_Bottom_Percent);
  };
  page.font(10);
  page.rectangle(Left, Frame_Top, Left + Frame_Width, Frame_Top + Frame_Height);
  page.style(ui::Draw_Style::Dashed);
  for (double p : {0.0, 50.0, 100.0}) page.line(Left, Y(p), Left + Frame_Width, Y(p));
  page.style(ui::Draw_Style::Solid);
  for (double p : {0.0, 50.0, 100.0})
    page.text(Left - 450, Y(p) - 100, text::bare_text(static_cast<long long>(p)), false);
  // The concentrations under the frame, their unit after the last.
  page.font(8);
  for (double tick : concentration_ticks(std::exp(axis.left), std::exp(axis.right()))) {
    const std::string label = tick_text(tick);
    const double x = X(std::log(tick));
    page.line(x, Frame_Top + Frame_Height, x, Frame_Top + Frame_Height - 80);
    page.text(x - 40.0 * static_cast<double>(label.size()), Frame_Top + Frame_Height + 60, label, false);
  }
  page.text(Left + Frame_Width + 300, Frame_Top + Frame_Height + 60,
            "濃度 (" + text::Text_Clean(state.Unit_Name) + ") 対数目盛", false);
  page.font(10);
  for (const Plot_Point& tube : tube_points(c))
    if (tube.p >= Plot_Bottom_Percent && tube.p <= Plot_Top_Percent) page.circle(X(tube.x), Y(tube.p), Tube_Radius);

  for (const Model_Column& column : c.columns) {
    const double legend_y = Frame_Top + 100 + 300 * column.kind;
    const double legend_x = Left + Frame_Width + 300;
    // A sample of the curve's look beside its name.
    std::vector<Plot_Point> sample, sample_dots;
    for (int step = 0; step <= 12; ++step) sample.push_back({legend_x + 50.0 * step, legend_y + 100});
    for (const Plot_Segment& piece : curve_segments(sample, line_look(column.kind), sample_dots))
      page.line(piece.from.x, piece.from.p, piece.to.x, piece.to.p);
    for (const Plot_Point& dot : sample_dots) page.circle(dot.x, dot.p, Dot_Radius);
    page.text(legend_x + 700, legend_y, column.heading + (column.available ? "" : "（計算できません）"), false);
    if (!column.available) continue;
    std::vector<Plot_Point> dots;
    for (const Plot_Segment& piece : curve_segments(curve_points(column, axis), line_look(column.kind), dots))
      page.line(X(piece.from.x), Y(piece.from.p), X(piece.to.x), Y(piece.to.p));
    for (const Plot_Point& dot : dots) page.circle(X(dot.x), Y(dot.p), Dot_Radius);
  }
}

void print_table(Page& page, const std::vector<Model_Row>& rows, const std::string& problems) {
  page.font(9);
  double y = Table_Top;
  for (std::size_t r = 0; r < rows.size(); ++r, y += Row_Step) {
    for (int column = 0; column <= Model_Kinds; ++column) page.text(Column_X[column], y, rows[r][column], false);
    if (r == 0) page.line(Left, y + Row_Step - 20, Column_X[Model_Kinds] + 2200, y + Row_Step - 20);
  }
  std::istringstream lines(problems);
  for (std::string line; std::getline(lines, line);) page.text(Left, y += Row_Step, line, false);
}

}  // namespace

void print_model_page(Program& program, ui::Printer& printer) {
  Assay_State& state = program.state;
  const Model_Comparison comparison = compare_models(state, state.Model_Weight);
  const std::vector<Model_Row> rows = model_table(comparison, false);
  const std::string problems = model_problems(comparison);
  const auto lines = static_cast<double>(rows.size() + 1 + std::count(problems.begin(), problems.end(), '\n'));
  Page page(printer, page_scale(printer.printable_height(), Table_Top + Row_Step * (lines + 1)));

  page.font(14);
  page.text(Left, 600, "検量線モデルの比較", false);
  page.font(10);
  page.text(Left, 1000,
            "4PL・5PL の重み付け: " + model_weight_name(comparison.weighting) +
                "　　測定結果に使う曲線: " + result_curve_name(state),
            false);
  print_picture(page, state, comparison);
  print_table(page, rows, problems);
  page.end();
}

long model_page_count(const Program& program) { return model_in_use(program.state) ? 1 : 0; }

// The printout is always of the standards in force: curves fitted to others are drawn afresh first.
void Model_PRT(Program& program) {
  if (program.state.Plot_Stage != Curve_Stage::Curves)
    return program.platform.message("検量線が描かれていないため、印刷できません");
  if (program.state.Curve_Basis != basis_digest(program.state, Basis::Curve) && !Draw_Fitted_Curves(program)) return;
  const ui::Job_Outcome outcome = ui::run_print_job(
      program.platform, 1, [&](ui::Printer& printer) { print_model_page(program, printer); },
      screen_print_job(program.state));
  ui::tell_job_outcome(program.platform, outcome, /*announce_printed=*/true);
}

}  // namespace quorin
