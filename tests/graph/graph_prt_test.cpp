// The graph printout as recorded printer operations: the standard plot page and the regression
// page, printed through button 5 of the curve screen; marks kept inside their frames.

#include <algorithm>
#include <cmath>
#include <sstream>

#include "graph/graph_prt.h"
#include "graph/plot_axes.h"
#include "graph_fixture.h"
#include "support/screen_text.h"
#include "text/format.h"

namespace quorin {
namespace {

constexpr double Printed = 1e-5;  // the recorder writes positions to 10 significant digits

// One recorded operation: its kind, its numbers in order (a circle's radius last) and its text.
struct Op {
  std::string kind;
  std::vector<double> numbers;
  std::string text;
};

Op parse(const std::string& line) {
  Op op;
  std::istringstream words(line);
  words >> op.kind;
  if (op.kind == "text") {
    op.text = line.substr(line.find('"') + 1, line.rfind('"') - line.find('"') - 1);
    words.str(line.substr(5, line.find('"') - 5));
    words.clear();
  }
  std::string word;
  while (words >> word) {
    std::replace(word.begin(), word.end(), ',', ' ');
    if (word[0] == 'r') word.erase(0, 1);
    std::istringstream values(word);
    for (double value; values >> value;) op.numbers.push_back(value);
  }
  return op;
}

class Graph_Printout : public testing::Graph_Test {
 protected:
  // Button 5 of the curve screen; the operations it recorded.
  std::vector<Op> print() {
    platform.recorder.clear();
    graph().Command[target::Print].on_click();
    std::vector<Op> ops;
    for (const std::string& line : platform.recorder.ops()) ops.push_back(parse(line));
    return ops;
  }

  static std::vector<Op> of_kind(const std::vector<Op>& ops, const std::string& kind) {
    std::vector<Op> found;
    std::copy_if(ops.begin(), ops.end(), std::back_inserter(found), [&](const Op& op) { return op.kind == kind; });
    return found;
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
  state.Plot_Stage = 0;
  EXPECT_TRUE(print().empty());
  EXPECT_TRUE(platform.messages.empty());

  state.STD_Data(5, 0) = 2;  // the last standard now at the first one's concentration
  state.Plot_Stage = 1;
  EXPECT_TRUE(print().empty());
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("描き直して"), std::string::npos) << "the plot shown is not of these standards";
}

class Regression_Printout : public Graph_Printout {
 protected:
  void SetUp() override {
    enter_assay({1, 3, 10, 30});
    show_standard_plot();
    switch_view();
  }
  const double scale = page_scale(platform.recorder.printable_height(), Regression_Page_Height);
};

TEST_F(Regression_Printout, CurvesStayInsideTheirFrame) {
  // Weighting 0 replaced by y = 10 - 5x, as line and as cubic: it leaves the logit range at both
  // ends of the axis.
  const double polynomial[] = {10, -5, 0, 0, -5, 10};
  for (int m = 1; m <= 6; ++m) state.Reg_Coef(0, m) = polynomial[m - 1];
  std::vector<double> current;
  for (int slot = 29; slot <= 34; ++slot) current.push_back(state.Reg_Work(slot));

  const std::vector<Op> ops = print();
  const double top = 500 * scale, bottom = 4500 * scale;
  const auto first_point = std::find_if(ops.begin(), ops.end(), [](const Op& op) { return op.kind == "point"; });
  ASSERT_GE(ops.end() - first_point, 201);
  bool along_top = false, along_bottom = false;
  for (auto op = first_point + 1; op != first_point + 201; ++op) {
    ASSERT_EQ(op->kind, "line");
    for (double y : {op->numbers[1], op->numbers[3]}) {
      EXPECT_GE(y, top - Printed);
      EXPECT_LE(y, bottom + Printed);
      along_top |= std::abs(y - top) < Printed;
      along_bottom |= std::abs(y - bottom) < Printed;
    }
  }
  EXPECT_TRUE(along_top && along_bottom);

  // The dotted line has dots only where it lies inside: 1.3 <= x <= 2.7, a part of the axis.
  int dots = 0;
  for (const Op& circle : of_kind(ops, "circle")) {
    if (std::abs(circle.numbers[2] - 4 * scale) > Printed || circle.numbers[1] > bottom) continue;
    ++dots;
    EXPECT_GE(circle.numbers[1], top);
  }
  EXPECT_GT(dots, 0);
  EXPECT_LT(dots, 201 / 3);

  std::vector<double> after;
  for (int slot = 29; slot <= 34; ++slot) after.push_back(state.Reg_Work(slot));
  EXPECT_EQ(after, current) << "the current fit is left as it was";
}

}  // namespace
}  // namespace quorin
