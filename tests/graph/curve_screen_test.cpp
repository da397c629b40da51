// The curve screen and its printout: the standard plot and the fitted-curve view as shown,
// standards that cannot be plotted, choosing the fit, the range boxes, the equations, the fits
// that cannot be computed and the administrator's read-out; the standard plot page and the
// regression page printed through button 5, marks kept inside their frames. Every assay here has
// standards that follow a logistic dose-response, brought to the curve screen through the
// navigation as a user gets there.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "graph/reg_graph.h"
#include "navigation/navigation.h"
#include "state/program_fixture.h"
#include "support/screen_text.h"
#include "text/format.h"

namespace quorin {
namespace {

// Mean counts of the NSB, TOTAL and zero-standard tubes of every assay built here.
constexpr Long Nsb_Count = 150, Total_Count = 20000, B0_Count = 8571;

class Curve_Screen : public testing::Program_Test {
 protected:
  Curve_Screen() {
    for (int w = 0; w < 4; ++w) state.Weight_Name(w) = std::string("weighting ") + char('0' + w);
  }

  // Standards at these concentrations, two tubes each, 2 % apart around B/B0 = 1 / (1 + (c / 8)^1.1).
  void enter_assay(const std::vector<double>& concentrations) {
    state.STD_Number = static_cast<Integer>(concentrations.size());
    state.STD_Tubes = 2;
    for (int tube = 1; tube <= 2; ++tube) {
      state.STD_Count(1, tube) = Nsb_Count;
      state.STD_Count(2, tube) = Total_Count;
      state.STD_Count(3, tube) = B0_Count;
    }
    for (std::size_t k = 1; k <= concentrations.size(); ++k) {
      const double c = concentrations[k - 1];
      state.STD_Data(3 + k, STD_Column::Concentration) = c;
      const double count = Nsb_Count + (B0_Count - Nsb_Count) / (1 + std::pow(c / 8, 1.1));
      state.STD_Count(3 + k, 1) = static_cast<Long>(std::lround(count * 1.01));
      state.STD_Count(3 + k, 2) = static_cast<Long>(std::lround(count * 0.99));
    }
  }

  // Button 4 of the conditions screen: treats the standards and draws the standard plot.
  void show_standard_plot() {
    state.Screen_No = 1;
    Command_Exec(program, target::Standard_Curve);
  }

  // Button 8 of the curve screen.
  void switch_view() { graph().Command[target::Switch_View].on_click(); }

  void show_curves(const std::vector<double>& concentrations) {
    enter_assay(concentrations);
    show_standard_plot();
    switch_view();
  }

  // Button 5 of the curve screen; the operations it recorded.
  const std::vector<std::string>& print() {
    platform.recorder.clear();
    graph().Command[target::Print].on_click();
    return platform.recorder.ops();
  }

  Reg_Graph& graph() { return *program.screen_as<Reg_Graph>(Screen::Graph); }
};

using Curve_View = Curve_Screen;
using Graph_Printout = Curve_Screen;

// The standard plot of four standards either way, their curves, equations, ED values and range;
// the curves of three standards, with which no cubic can be fitted.
TEST_F(Curve_View, ScreensOfFourStandardsEitherWayAndOfThree) {
  std::string shown;
  for (const std::vector<double>& concentrations :
       {std::vector<double>{1, 3, 10, 30}, std::vector<double>{30, 10, 3, 1}, std::vector<double>{1, 3, 10}}) {
    program.close(Screen::Graph);
    platform.messages.clear();
    enter_assay(concentrations);
    show_standard_plot();
    shown += testing::screen_text(graph());
    switch_view();
    shown += testing::screen_text(graph());
    for (const std::string& message : platform.messages) shown += "message " + message + "\n";
  }
  testing::expect_golden("curve_screens.txt", shown);
}

// Each row typed into a box of the curves of eight standards afresh, after a text typed into the
// other box without Enter; recorded: the range in force, the boxes, the box with the focus and what
// the user is told.
TEST_F(Curve_View, RangeBoxesTakeOnlyStandardNumbersOfTheAssay) {
  const std::tuple<int, const char*, const char*> rows[] = {
      {0, "0", ""}, {1, "9", ""}, {1, "5", ""}, {0, "2.5", ""}, {0, "3.5", ""}, {0, "abc", ""}, {0, "2", "9"}};
  std::string seen;
  for (const auto& [box, typed, other] : rows) {
    program.close(Screen::Graph);
    state.Fit_From = state.Fit_To = 0;  // no range fitted yet: the boxes offer every standard
    show_curves({1, 2, 5, 10, 20, 50, 100, 200});
    platform.messages.clear();
    Reg_Graph& g = graph();
    if (*other) testing::type_over(g.Range_Box[1 - box], other);
    testing::type_over(g.Range_Box[box], typed);
    testing::press(g.Range_Box[box], ui::Key_Return);
    seen += "box " + std::to_string(box) + " \"" + typed + "\" after \"" + other +
            "\": " + std::to_string(state.Fit_From) + "-" + std::to_string(state.Fit_To) + " " +
            g.Range_Label[0].caption + " boxes " + g.Range_Box[0].text + "," + g.Range_Box[1].text +
            (g.focused() == &g.Range_Box[1 - box] ? " on to the other" : "");
    for (const std::string& message : platform.messages) seen += " | " + message;
    seen += "\n";
  }
  testing::expect_golden("range_boxes.txt", seen);
}

// A good plot first: the refusal must not leave it standing. Nothing is drawn, so the results stay
// out of reach; recorded: what the user is told, and what the print button says when it prints
// nothing: before a plot (the good one set aside), then with the refused standards taken for a plot,
// which it draws afresh first.
TEST_F(Curve_View, StandardsThatCannotBePlottedAreRefusedWithTheReasonAndNotPrinted) {
  // The concentrations, then that of standard 2 changed.
  const std::pair<std::vector<double>, double> cases[] = {{{5, 10, 5}, 10}, {{1, 2, 10}, -2}, {{7}, 0}};
  for (const auto& [concentrations, second] : cases) {
    enter_assay({1, 3, 10, 30});
    show_standard_plot();
    state.Plot_Stage = Curve_Stage::Nothing;
    EXPECT_TRUE(print().empty());
    enter_assay(concentrations);
    state.STD_Data(5, STD_Column::Concentration) = second;
    show_standard_plot();
    EXPECT_TRUE(graph().Picture1[0].ops().empty() && graph().Picture1[1].ops().empty());
    EXPECT_EQ(state.Plot_Stage, Curve_Stage::Nothing);
    state.Plot_Stage = Curve_Stage::Standard_Plot;
    EXPECT_TRUE(print().empty());
  }
  testing::expect_golden("cannot_plot.txt", testing::lines_of(platform.messages));
}

TEST_F(Curve_View, AdministratorReadsEdValuesOffTheChosenCurve) {
  state.Admin_Mode = 1;
  show_curves({1, 2, 5, 10, 20, 50});
  Reg_Graph& g = graph();

  g.Picture1[2].on_mouse_down(1, 0, 1.0, 0.0);  // logit 0 on plot 2, button 0 chosen
  EXPECT_EQ(g.Range_Label[7].caption, "ED50 = " + text::Format(state.ED50_Value(0), "#.#####"));
  EXPECT_NEAR(g.Cross_V[2].x1, std::log(state.ED50_Value(0)), 1e-12);
}

// The standard page of three standards, the first beyond the logit range (taken as B/B0 99.5 %:
// left out of the logit frame only); the regression page of four (scaled onto the printable
// height) and of three (no cubic: dashes).
TEST_F(Graph_Printout, PagesOfThreeAndFourStandards) {
  enter_assay({1, 10, 100});
  state.STD_Count(4, 1) = state.STD_Count(4, 2) = B0_Count + 500;
  show_standard_plot();
  std::string printed = testing::ops_text(print());
  for (const std::vector<double>& concentrations : {std::vector<double>{1, 3, 10, 30}, std::vector<double>{1, 3, 10}}) {
    program.close(Screen::Graph);
    show_curves(concentrations);
    printed += testing::ops_text(print());
  }
  EXPECT_EQ(platform.recorder.documents(), 1);
  testing::expect_golden("graph_pages.txt", printed);
}

// Weighting 0 replaced by y = 10 - 5x, as line and as cubic, leaves the logit range at both ends
// of the axis: the curves run along the frame and the dotted line has dots only inside it
// (golden/clipped_curves.txt); the fit itself is kept.
TEST_F(Graph_Printout, CurvesStayInsideTheirFrame) {
  show_curves({1, 3, 10, 30});
  const double polynomial[] = {10, -5, 0, 0, -5, 10};
  for (int m = 1; m <= 6; ++m) state.Reg_Coef(0, m) = polynomial[m - 1];
  const auto current = state.Reg_Work;
  testing::expect_golden("clipped_curves.txt", testing::ops_text(print()));
  for (int slot = 29; slot <= 34; ++slot) EXPECT_EQ(state.Reg_Work(slot), current(slot)) << "the fit is kept";
}

}  // namespace
}  // namespace quorin
