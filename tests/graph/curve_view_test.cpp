// The fitted-curve view: the four plots, choosing the fit, the range boxes, the equations, the
// fits that cannot be computed, the administrator's read-out and the wizard's curve step.

#include <cmath>

#include "curve/fit_choice.h"
#include "curve/response.h"
#include "graph/plot_axes.h"
#include "graph_fixture.h"
#include "state/screen_procedures.h"
#include "support/form_driver.h"
#include "text/format.h"

namespace quorin {
namespace {

using Type = ui::Draw_Op::Type;
using testing::click;
using testing::press;
using testing::type_over;

class Curve_View : public testing::Graph_Test {
 protected:
  void show_curves(const std::vector<double>& concentrations) {
    enter_assay(concentrations);
    show_standard_plot();
    switch_view();
  }

  // The ops of a plot of one type and colour.
  static std::vector<ui::Draw_Op> ops_of(const ui::Picture_Area& plot, Type type, ui::Colour colour) {
    std::vector<ui::Draw_Op> found;
    for (const ui::Draw_Op& op : plot.ops())
      if (op.type == type && op.colour == colour) found.push_back(op);
    return found;
  }
};

TEST_F(Curve_View, EachPlotHoldsItsAxisBothCurvesAndTheStandards) {
  show_curves({1, 3, 10, 30});
  ASSERT_TRUE(platform.messages.empty()) << platform.messages[0];
  for (int w = 0; w < 4; ++w) {
    SCOPED_TRACE(w);
    const ui::Picture_Area& plot = graph().Picture1[w];
    auto value = [&](int m) { return state.Reg_Coef(w, m); };
    EXPECT_DOUBLE_EQ(plot.scale_left, std::log(1.0) - std::log(2.0));
    EXPECT_DOUBLE_EQ(plot.scale_left + plot.scale_width, std::log(30.0) + std::log(2.0));
    EXPECT_EQ(plot.scale_top, -3.5);
    EXPECT_EQ(plot.scale_height, 7);

    EXPECT_EQ(ops_of(plot, Type::Line, ui::Light_Grey).size(), 1u + 7) << "the logit-0 axis and seven ticks";
    // Each curve: its first point set, 200 segments joined to it, ending at twice the last standard.
    const auto cubic = ops_of(plot, Type::Line, ui::Green);
    ASSERT_EQ(cubic.size(), 200u);
    EXPECT_EQ(ops_of(plot, Type::Point, ui::Green).size(), 1u);
    EXPECT_NEAR(cubic.back().x2, plot.scale_left + plot.scale_width, 1e-12);
    for (const ui::Draw_Op& op : cubic) {
      const double x = op.x2;
      EXPECT_NEAR(-op.y2, value(1) + value(2) * x + value(3) * x * x + value(4) * x * x * x, 1e-9);
    }
    const auto yellow_lines = ops_of(plot, Type::Line, ui::Yellow);
    ASSERT_EQ(yellow_lines.size(), 200u + 4) << "the straight line and a tick per standard";
    for (int t = 0; t < 200; ++t) EXPECT_NEAR(-yellow_lines[t].y2, value(6) + value(5) * yellow_lines[t].x2, 1e-9);

    const auto circles = ops_of(plot, Type::Circle, ui::Yellow);
    ASSERT_EQ(circles.size(), 4u);
    for (int i = 1; i <= 4; ++i) {
      EXPECT_DOUBLE_EQ(circles[i - 1].x1, std::log(state.STD_Data(3 + i, 0)));
      EXPECT_DOUBLE_EQ(circles[i - 1].y1, -state.STD_Data(3 + i, 8));
    }
    EXPECT_EQ(graph().Title[w].caption, state.Weight_Name(w));
  }
  EXPECT_EQ(graph().ED_Grid.rows(), 102);
  EXPECT_EQ(graph().ED_Grid.cell(0, 6), "重2 3次");
  EXPECT_EQ(graph().ED_Grid.cell(51, 1), text::Format(state.ED50_Value(0), "0.00000"))
      << "ED 50 of the unweighted line";
  EXPECT_EQ(graph().Limit_Grid.cell(3, 0), "AVG-STDx 3");
}

TEST_F(Curve_View, ButtonFiveMakesTheLogitCorrectedCubicTheFitTheResultsUse) {
  show_curves({1, 2, 5, 10, 20, 50});
  Reg_Graph& g = graph();
  click(g.Choice[5]);
  EXPECT_EQ(state.Weight_Type, 2);
  EXPECT_EQ(state.Reg_Order, 3);
  for (int c = 0; c < 8; ++c) EXPECT_EQ(g.Choice[c].value, c == 5) << c;
  for (int m = 1; m <= 6; ++m) EXPECT_EQ(state.Reg_Work(28 + m), state.Reg_Coef(2, m)) << m;

  ASSERT_TRUE(Run_Fitness_Examination(program));
  // Every standard tube is read back as a root of the weighting-2 cubic at the tube's own logit.
  auto cubic = [&](double x) {
    const auto& c = state.Reg_Coef;
    return c(2, 1) + c(2, 2) * x + c(2, 3) * x * x + c(2, 4) * x * x * x;
  };
  const double nsb = state.STD_Data(1, 1), b0 = state.STD_Data(3, 1);
  for (int i = 1; i <= 6; ++i) {
    for (int j = 1; j <= 2; ++j) {
      const double percent = clamp_percent(tube_percent(state.STD_Count(3 + i, j), nsb, b0), 1, 99);
      EXPECT_NEAR(cubic(std::log(state.STD_Conc(3 + i, j))), logit(percent), 1e-7) << i << "," << j;
    }
  }
}

TEST_F(Curve_View, RangeBoxesTakeOnlyStandardNumbersOfTheAssay) {
  struct Case {
    int box;
    const char* typed;
    bool accepted;
    int from, to;
  };
  const Case cases[] = {
      {0, "0", false, 1, 8},   {1, "9", false, 1, 8},  {1, "8", true, 1, 8},    {1, "5", true, 1, 5},
      {0, "2.5", true, 2, 8},  {0, "3.5", true, 4, 8}, {0, "abc", false, 1, 8}, {0, "0.9", false, 1, 8},
      {1, "8.4", false, 1, 8}, {0, " 2", true, 2, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("box ") + char('0' + c.box) + " \"" + c.typed + "\"");
    program.close(Screen::Graph);
    show_curves({1, 2, 5, 10, 20, 50, 100, 200});
    platform.messages.clear();
    Reg_Graph& g = graph();

    type_over(g.Range_Box[c.box], c.typed);
    press(g.Range_Box[c.box], ui::Key_Return);
    EXPECT_EQ(state.Fit_From, c.from);
    EXPECT_EQ(state.Fit_To, c.to);
    EXPECT_EQ(g.Range_Label[0].caption, "FROM ST " + text::signed_text(c.from) + " TO " + text::signed_text(c.to));
    if (c.accepted) {
      EXPECT_TRUE(platform.messages.empty());
      EXPECT_EQ(g.focused(), &g.Range_Box[1 - c.box]);
    } else {
      EXPECT_EQ(platform.messages, std::vector<std::string>{"値が範囲外です"});
      EXPECT_EQ(g.Range_Box[0].text, "1");
      EXPECT_EQ(g.Range_Box[1].text, "8");
    }
  }
}

TEST_F(Curve_View, ValueLeftInTheOtherBoxWithoutEnterIsRefusedBeforeFitting) {
  enter_assay({1, 2, 5, 10, 20});
  show_standard_plot();
  Reg_Graph& g = graph();
  type_over(g.Range_Box[1], "9");  // no Enter
  type_over(g.Range_Box[0], "2");
  press(g.Range_Box[0], ui::Key_Return);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"値が範囲外です"});
  EXPECT_EQ(state.Plot_Stage, 1) << "no regression ran";
  EXPECT_EQ(g.Range_Box[0].text, "1");
  EXPECT_EQ(g.Range_Box[1].text, "5");

  // Button 8 reads both boxes too.
  type_over(g.Range_Box[0], "x");
  switch_view();
  EXPECT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(state.Plot_Stage, 1);
  EXPECT_EQ(g.caption, "スタンダード　プロット");
}

TEST_F(Curve_View, RangeLabelNamesTheStandardsWithTheirSignPlace) {
  show_curves({1, 2, 3, 5, 8, 10, 20, 30, 50, 80});
  for (int w = 0; w < 4; ++w) EXPECT_EQ(graph().Range_Label[3 * w].caption, "FROM ST  1 TO  10");
}

TEST_F(Curve_View, CoefficientsCarryAPlusOnlyWhenPositiveAndNotLeading) {
  show_curves({1, 3, 10, 30});
  struct Case {
    int m, label;
    double value;
    const char* shown;
  };
  const Case cases[] = {
      {6, 0, 0, "0"},      {6, 0, 1.5, "+1.5"},    {6, 0, -1.5, "-1.5"},    {5, 1, 1.5, "1.5"},
      {4, 2, 0.25, ".25"}, {3, 3, 0.0000001, "0"}, {3, 3, -0.0000001, "0"}, {1, 5, 12.345678, "+12.34568"},
      {2, 4, -0.5, "-.5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    state.Reg_Coef(1, c.m) = c.value;
    graph().Regression_Curves();
    EXPECT_EQ(graph().Coefficient[6 + c.label].caption, c.shown);
  }
}

TEST_F(Curve_View, FitsThatCannotBeComputedShowADashAndCannotBeChosen) {
  show_curves({1, 3, 10});  // three concentrations: no cubic, and so no distance weighting
  Reg_Graph& g = graph();
  ASSERT_EQ(platform.messages.size(), 1u) << "one report of all that is missing";
  EXPECT_NE(platform.messages[0].find("重無3次"), std::string::npos) << platform.messages[0];

  for (int w = 0; w < 4; ++w) {
    SCOPED_TRACE(w);
    const bool line = w == 0 || w == 2;
    EXPECT_EQ(g.Choice[2 * w].enabled, line);
    EXPECT_FALSE(g.Choice[2 * w + 1].enabled);
    EXPECT_EQ(g.Coefficient[6 * w + 2].caption, No_Value_Text);
    EXPECT_EQ(g.Coefficient[6 * w + 5].caption, "");
    EXPECT_FALSE(g.Term[4 * w + 1].visible);
    EXPECT_EQ(g.Range_Label[3 * w + 2].caption, std::string("ED50 = ") + No_Value_Text);
    EXPECT_TRUE(ops_of(g.Picture1[w], Type::Line, ui::Green).empty());
    EXPECT_EQ(ops_of(g.Picture1[w], Type::Line, ui::Yellow).size(), line ? 200u + 3 : 3u);
    for (const ui::Draw_Op& op : g.Picture1[w].ops())
      EXPECT_TRUE(std::isfinite(op.x1) && std::isfinite(op.y1) && std::isfinite(op.x2) && std::isfinite(op.y2));
  }

  click(g.Choice[1]);  // disabled: the window system would not even deliver the click
  EXPECT_EQ(state.Reg_Order, 1);
  click(g.Choice[4]);
  EXPECT_EQ(state.Weight_Type, 2);
  EXPECT_EQ(platform.messages.size(), 1u) << "refitting the same standards does not repeat the report";

  switch_view();
  switch_view();
  EXPECT_EQ(platform.messages.size(), 2u) << "coming back to the curves reports again";
}

TEST_F(Curve_View, AdministratorReadsEdValuesOffTheChosenCurve) {
  state.Admin_Mode = 1;
  show_curves({1, 2, 5, 10, 20, 50});
  Reg_Graph& g = graph();
  EXPECT_TRUE(g.HScroll1.visible);
  EXPECT_TRUE(g.Cross_H[2].visible);

  g.Picture1[2].on_mouse_down(1, 0, 1.0, 0.0);  // logit 0 on plot 2, button 0 chosen
  EXPECT_EQ(g.Range_Label[7].caption, "ED50 = " + text::Format(state.ED50_Value(0), "#.#####"));
  EXPECT_EQ(g.Range_Label[7].caption, g.Range_Label[1].caption);
  EXPECT_EQ(g.Cross_H[2].y1, 0);
  EXPECT_NEAR(g.Cross_V[2].x1, std::log(state.ED50_Value(0)), 1e-12);

  // Logit +1.4 is ED 70; the unweighted line gives x = (1.4 - a) / b.
  g.Picture1[0].on_mouse_down(1, 0, 1.0, -1.4);
  const double x = (1.4 - state.Reg_Coef(0, 6)) / state.Reg_Coef(0, 5);
  EXPECT_EQ(g.Range_Label[1].caption, "ED70 = " + text::Format(std::exp(x), "#.#####"));
  EXPECT_EQ(g.Cross_H[0].y1, -1.4);

  // With a cubic chosen, the read-out goes to the cubic's label.
  click(g.Choice[3]);
  g.Picture1[1].on_mouse_down(1, 0, 1.0, 3.5);
  EXPECT_EQ(g.Range_Label[5].caption.substr(0, 6), "ED0 = ");
}

TEST_F(Curve_View, ClicksOutsideTheAdministratorModeOrTheCurvesDoNothing) {
  enter_assay({1, 2, 5, 10, 20, 50});
  show_standard_plot();
  state.Admin_Mode = 1;
  graph().Picture1[0].on_mouse_down(1, 0, 1.0, -50);  // the B/B0 plot
  EXPECT_EQ(graph().Range_Label[1].caption, "");

  state.Admin_Mode = 0;
  switch_view();
  const std::string before = graph().Range_Label[1].caption;
  graph().Picture1[0].on_mouse_down(1, 0, 1.0, -1.4);
  EXPECT_EQ(graph().Range_Label[1].caption, before);
  EXPECT_FALSE(graph().Cross_H[0].visible);
}

TEST_F(Curve_View, ScrollBarBringsTheEdTablesIntoTheWindow) {
  state.Admin_Mode = 1;
  show_curves({1, 2, 5, 10, 20, 50});
  Reg_Graph& g = graph();
  g.HScroll1.set_value(g.HScroll1.max);
  EXPECT_EQ(g.Picture2.left, -500 * g.HScroll1.max);
  for (const ui::Control* table : {static_cast<ui::Control*>(&g.ED_Grid), static_cast<ui::Control*>(&g.Limit_Grid)}) {
    EXPECT_GE(g.Picture2.left + table->left, 0);
    EXPECT_LE(g.Picture2.left + table->left + table->width, g.client_width);
  }
}

TEST_F(Curve_View, WizardStopsWhenTheChosenFitCannotBeDrawn) {
  struct Case {
    const char* first;
    const char* last;
    bool goes_on, drawn;
  };
  const Case cases[] = {{"1", "4", true, true}, {"2", "2", false, true}, {"x", "4", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.first) + ".." + c.last);
    program.close(Screen::Graph);
    enter_assay({1, 3, 10, 30});
    show_standard_plot();
    graph().Range_Box[0].text = c.first;
    graph().Range_Box[1].text = c.last;
    state.Wizard_Mode = 1;
    Wizard_Show_Curves(program);
    EXPECT_EQ(state.Wizard_Mode, c.goes_on ? 1 : 0);
    EXPECT_EQ(graph().Command[8].caption, c.drawn ? "PLOT表示" : "検量線表示");
    state.Wizard_Mode = 0;
  }
  EXPECT_EQ(graph().HScroll1.max, 24);
}

}  // namespace
}  // namespace quorin
