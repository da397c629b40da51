// The graph printout as recorded printer operations: the standard plot page and the regression
// page, printed through button 5 of the curve screen; marks kept inside their frames.

#include "graph/graph_prt.h"
#include "graph_fixture.h"
#include "support/screen_text.h"

namespace quorin {
namespace {

class Graph_Printout : public testing::Graph_Test {
 protected:
  // Button 5 of the curve screen; the operations it recorded.
  const std::vector<std::string>& print() {
    platform.recorder.clear();
    graph().Command[target::Print].on_click();
    return platform.recorder.ops();
  }
};

// The standard page of three standards, the first beyond the logit range (taken as B/B0 99.5 %:
// left out of the logit frame only); the regression page of four (scaled onto the printable
// height) and of three (no cubic: dashes).
TEST_F(Graph_Printout, PagesOfThreeAndFourStandards) {
  enter_assay({1, 10, 100});
  state.STD_Count(4, 1) = state.STD_Count(4, 2) = testing::B0_Count + 500;
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
