// The curve screen: the standard plot and the fitted-curve view as shown, standards that cannot
// be plotted, choosing the fit, the range boxes, the equations, the fits that cannot be computed
// and the administrator's read-out.

#include <cmath>

#include "engine/plot_axes.h"
#include "graph_fixture.h"
#include "support/form_driver.h"
#include "support/screen_text.h"
#include "text/format.h"

namespace quorin {
namespace {

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
};

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
    if (accepted) {
      EXPECT_EQ(g.focused(), &g.Range_Box[1 - c.box]);
    }
    if (!accepted) {
      EXPECT_EQ(g.Range_Box[0].text + "," + g.Range_Box[1].text, "1,8");
    }
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

}  // namespace
}  // namespace quorin
