// The curve screen and its printout: the standard plot and the fitted-curve view as shown,
// standards that cannot be plotted, choosing the fit, the range boxes, the equations, the fits
// that cannot be computed and the administrator's read-out; the standard plot page and the
// regression page printed through button 5, marks kept inside their frames. Every assay here has
// standards that follow a logistic dose-response, brought to the curve screen through the
// navigation as a user gets there.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/plot_axes.h"
#include "graph/graph_prt.h"
#include "graph/reg_graph.h"
#include "navigation/navigation.h"
#include "state/program.h"
#include "support/form_driver.h"
#include "support/screen_text.h"
#include "support/test_support.h"
#include "text/format.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

using testing::click;
using testing::press;
using testing::type_over;

// Mean counts of the NSB, TOTAL and zero-standard tubes of every assay built here.
constexpr Long Nsb_Count = 150, Total_Count = 20000, B0_Count = 8571;

class Curve_Screen : public ::testing::Test {
 protected:
  Curve_Screen() : program(platform) {
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

  testing::Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program;
  Assay_State& state = program.state;
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
    if (concentrations.size() == 4) shown += testing::screen_text(graph());
    switch_view();
    if (concentrations[0] == 1) shown += testing::screen_text(graph());
    // The curve axis reaches a factor 2 beyond the first and the last standard, either way.
    const double beyond = concentrations.back() > concentrations.front() ? 2 : 0.5;
    EXPECT_NEAR(graph().Picture1[0].scale_left, std::log(concentrations.front() / beyond), 1e-12);
    EXPECT_NEAR(graph().Picture1[0].scale_left + graph().Picture1[0].scale_width,
                std::log(concentrations.back() * beyond), 1e-12);
    for (const std::string& message : platform.messages) shown += "message " + message + "\n";
  }
  testing::expect_golden("curve_screens.txt", shown);
}

TEST_F(Curve_View, RangeBoxesTakeOnlyStandardNumbersOfTheAssay) {
  struct Case {
    int box;
    const char* typed;
    int from, to;            // 1 and 8: refused
    const char* other = "";  // typed into the other box first, without Enter
  };
  const Case cases[] = {
      {0, "0", 1, 8},   {1, "9", 1, 8},   {1, "5", 1, 5},      {0, "2.5", 2, 8},
      {0, "3.5", 4, 8}, {0, "abc", 1, 8}, {0, "2", 1, 8, "9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("box ") + char('0' + c.box) + " \"" + c.typed + "\" after \"" + c.other + "\"");
    program.close(Screen::Graph);
    show_curves({1, 2, 5, 10, 20, 50, 100, 200});
    platform.messages.clear();
    Reg_Graph& g = graph();
    if (*c.other) type_over(g.Range_Box[1 - c.box], c.other);
    type_over(g.Range_Box[c.box], c.typed);
    press(g.Range_Box[c.box], ui::Key_Return);
    EXPECT_EQ(state.Fit_From, c.from);
    EXPECT_EQ(state.Fit_To, c.to);
    EXPECT_EQ(g.Range_Label[0].caption, "FROM ST " + text::signed_text(c.from) + " TO " + text::signed_text(c.to));
    const bool accepted = c.from != 1 || c.to != 8;
    EXPECT_EQ(platform.messages, accepted ? std::vector<std::string>{} : std::vector<std::string>{"値が範囲外です"});
    if (accepted) EXPECT_EQ(g.focused(), &g.Range_Box[1 - c.box]);
    else EXPECT_EQ(g.Range_Box[0].text + "," + g.Range_Box[1].text, "1,8");
  }
}

TEST_F(Curve_View, StandardsThatCannotBePlottedAreRefusedWithTheReason) {
  struct Case {
    std::vector<double> concentrations;
    double second;  // the concentration of standard 2 afterwards
    const char* names;
  };
  const Case cases[] = {
      {{5, 10, 5}, 10, "スタンダード 1 と スタンダード 3 の濃度が同じ"},
      {{1, 2, 10}, -2, "スタンダード 2 の濃度が 0 以下"},
      {{7}, 0, "2 点以上ない"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.names);
    enter_assay({1, 3, 10, 30});
    show_standard_plot();  // a good plot first: the refusal must not leave it standing
    platform.messages.clear();
    enter_assay(c.concentrations);
    state.STD_Data(5, STD_Column::Concentration) = c.second;
    show_standard_plot();
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].find(c.names), std::string::npos) << platform.messages[0];
    EXPECT_TRUE(graph().Picture1[0].ops().empty());
    EXPECT_TRUE(graph().Picture1[1].ops().empty());
    EXPECT_EQ(state.Plot_Stage, Curve_Stage::Nothing) << "nothing is drawn, so the results stay out of reach";
  }
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
  print();
  std::string printed = testing::ops_text(platform.recorder.ops());
  for (const std::vector<double>& concentrations : {std::vector<double>{1, 3, 10, 30}, std::vector<double>{1, 3, 10}}) {
    program.close(Screen::Graph);
    enter_assay(concentrations);
    show_standard_plot();
    switch_view();
    print();
    printed += testing::ops_text(platform.recorder.ops());
  }
  EXPECT_EQ(platform.recorder.documents(), 1);
  testing::expect_golden("graph_pages.txt", printed);
}

TEST_F(Graph_Printout, NothingIsPrintedBeforeAPlotOrForStandardsThatCannotBePlotted) {
  enter_assay({2, 20});
  show_standard_plot();
  state.Plot_Stage = Curve_Stage::Nothing;
  EXPECT_TRUE(print().empty());
  ASSERT_EQ(platform.messages.size(), 1u) << "the print button says why it prints nothing";
  EXPECT_NE(platform.messages[0].find("グラフがありません"), std::string::npos);
  platform.messages.clear();
  state.STD_Data(5, STD_Column::Concentration) = 2;  // the last standard now at the first one's concentration
  state.Plot_Stage = Curve_Stage::Standard_Plot;
  EXPECT_TRUE(print().empty());
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("描き直して"), std::string::npos) << "the plot shown is not of these standards";
}

// Weighting 0 replaced by y = 10 - 5x, as line and as cubic, leaves the logit range at both ends
// of the axis: the curves run along the frame and the dotted line has dots only inside it
// (golden/clipped_curves.txt); the fit itself is kept.
TEST_F(Graph_Printout, CurvesStayInsideTheirFrame) {
  enter_assay({1, 3, 10, 30});
  show_standard_plot();
  switch_view();
  const double polynomial[] = {10, -5, 0, 0, -5, 10};
  for (int m = 1; m <= 6; ++m) state.Reg_Coef(0, m) = polynomial[m - 1];
  std::vector<double> current;
  for (int slot = 29; slot <= 34; ++slot) current.push_back(state.Reg_Work(slot));
  testing::expect_golden("clipped_curves.txt", testing::ops_text(print()));
  for (int slot = 29; slot <= 34; ++slot) EXPECT_EQ(state.Reg_Work(slot), current[slot - 29]) << "the fit is kept";
}

}  // namespace
}  // namespace quorin
