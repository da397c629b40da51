// The graph printout as recorded printer operations: the standard plot page and the regression
// page, printed through button 5 of the curve screen.

#include <algorithm>
#include <cmath>
#include <sstream>

#include "graph/graph_prt.h"
#include "graph/plot_axes.h"
#include "graph_fixture.h"
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

  static const Op* text_starting(const std::vector<Op>& ops, const std::string& start) {
    for (const Op& op : ops)
      if (op.kind == "text" && op.text.rfind(start, 0) == 0) return &op;
    return nullptr;
  }
};

TEST_F(Graph_Printout, StandardPageOfTwoStandards) {
  enter_assay({2, 20});
  show_standard_plot();
  const std::vector<Op> ops = print();
  EXPECT_EQ(platform.recorder.documents(), 1);

  // The labels stand at both ends of each axis, under each frame.
  std::vector<std::pair<std::string, std::vector<double>>> labels;
  for (const Op& op : of_kind(ops, "text"))
    if (op.text.rfind("STD", 0) == 0) labels.push_back({op.text, op.numbers});
  const decltype(labels) expected = {
      {"STD1", {800, 6000}}, {"STD2", {5800, 6000}}, {"STD1", {800, 12000}}, {"STD2", {5800, 12000}}};
  EXPECT_EQ(labels, expected);

  const auto rects = of_kind(ops, "rect");
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(rects[0].numbers, (std::vector<double>{1000, 1000, 6000, 6000}));
  EXPECT_EQ(rects[1].numbers, (std::vector<double>{1000, 7000, 6000, 12000}));

  // Standard 1 at the left edge, standard 2 at the right; B/B0 P at 6000 - 50 P.
  const auto circles = of_kind(ops, "circle");
  ASSERT_EQ(circles.size(), 4u);
  EXPECT_EQ(circles[0].numbers[0], 1000);
  EXPECT_EQ(circles[1].numbers[0], 6000);
  EXPECT_NEAR(circles[1].numbers[1], 6000 - 50 * state.STD_Data(5, 3), Printed);
  EXPECT_NEAR(circles[3].numbers[1], 9500 - 5000.0 / 7 * state.STD_Data(5, 8), Printed);
  EXPECT_EQ(circles[0].numbers[2], 60);

  // Eleven and seven dashed grid lines and one vertical per standard in each plot, then solid.
  const auto style_on = std::find_if(ops.begin(), ops.end(), [](const Op& op) { return op.kind == "style"; });
  ASSERT_NE(style_on, ops.end());
  EXPECT_EQ(style_on->numbers, std::vector<double>{1});
  EXPECT_EQ(of_kind(ops, "line").size(), 11u + 2 + 7 + 2);

  const Op* title = text_starting(ops, "log(標準品濃度)-Ｂ／Ｂo");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->numbers, (std::vector<double>{1000, 600}));
  EXPECT_EQ(platform.recorder.ops().front(), "font 14");
}

TEST_F(Graph_Printout, StandardBeyondTheLogitRangeIsLeftOutOfTheLogitFrameOnly) {
  enter_assay({1, 10, 100});
  state.STD_Count(4, 1) = state.STD_Count(4, 2) = testing::B0_Count + 500;  // B/B0 above 100 % is taken as 99.5 %
  show_standard_plot();
  const auto circles = of_kind(print(), "circle");
  ASSERT_EQ(circles.size(), 3u + 2);
  for (const Op& circle : circles) {
    const double y = circle.numbers[1];
    EXPECT_TRUE((y >= 1000 && y <= 6000) || (y >= 7000 && y <= 12000)) << y;
  }
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

TEST_F(Regression_Printout, FourBlocksScaledOntoThePrintableHeight) {
  const std::vector<Op> ops = print();
  EXPECT_EQ(platform.recorder.documents(), 1);
  ASSERT_LT(scale, 1);
  EXPECT_NEAR(scale * Regression_Page_Height, platform.recorder.printable_height(), Printed);

  const auto rects = of_kind(ops, "rect");
  ASSERT_EQ(rects.size(), 4u);
  for (int w = 0; w < 4; ++w) {
    const std::vector<double> frame = {1000, 4000.0 * w + 500, 4500, 4000.0 * w + 4500};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(rects[w].numbers[i], frame[i] * scale, Printed);
  }
  for (const Op& op : ops) {
    if (op.kind == "font") {
      const double points = op.numbers[0] / scale;
      EXPECT_TRUE(std::abs(points - 14) < Printed || std::abs(points - 10) < Printed || std::abs(points - 8) < Printed)
          << points;
    }
    if (op.kind == "line" || op.kind == "point" || op.kind == "text") {
      for (std::size_t i = 1; i < op.numbers.size(); i += 2)
        EXPECT_LE(op.numbers[i], platform.recorder.printable_height());
    }
  }
  const Op* name = text_starting(ops, state.Weight_Name(3));
  ASSERT_NE(name, nullptr);
  EXPECT_NEAR(name->numbers[0], 6000 * scale, Printed);
  EXPECT_NEAR(name->numbers[1], (12000 + 800) * scale, Printed);
}

TEST_F(Regression_Printout, BlockTextsAndBZeroOverTotal) {
  const std::vector<Op> ops = print();
  int b0_t_lines = 0;
  for (const Op& op : of_kind(ops, "text")) b0_t_lines += op.text == "B0/T %= 42.1050";
  EXPECT_EQ(b0_t_lines, 4) << "NSB 150, TOTAL 20000, zero standard 8571";

  const Op* range = text_starting(ops, "FROM ST");
  ASSERT_NE(range, nullptr);
  EXPECT_EQ(range->text, "FROM ST  1 TO  4");
  EXPECT_NEAR(range->numbers[1], 1600 * scale, Printed);
  const Op* slope = text_starting(ops, "１次式　Ｘ１乗の係数 = ");
  ASSERT_NE(slope, nullptr);
  EXPECT_EQ(slope->text, "１次式　Ｘ１乗の係数 = " + text::Format(state.Reg_Coef(0, 5), "######0.0000000"));
  const Op* ed50 = text_starting(ops, "ED50 = ");
  ASSERT_NE(ed50, nullptr);
  EXPECT_EQ(ed50->text, "ED50 = " + text::Format(state.ED50_Value(0), "0.00000"));
  EXPECT_NEAR(ed50->numbers[1], 2800 * scale, Printed);
  EXPECT_NE(text_starting(ops, "　　　　　Ｘ０乗の係数 = "), nullptr);
  EXPECT_NE(text_starting(ops, "-3.0"), nullptr);
}

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

TEST_F(Regression_Printout, FitsThatCannotBeComputedArePrintedAsADash) {
  program.close(Screen::Graph);  // a fresh screen, whose range boxes take the three standards
  enter_assay({1, 3, 10});
  show_standard_plot();
  switch_view();
  const std::vector<Op> ops = print();
  EXPECT_TRUE(of_kind(ops, "point").empty()) << "no cubic is drawn";
  const Op* cubic = text_starting(ops, "３次式　Ｘ３乗の係数 = ");
  ASSERT_NE(cubic, nullptr);
  EXPECT_EQ(cubic->text, std::string("３次式　Ｘ３乗の係数 = ") + No_Value_Text);
}

}  // namespace
}  // namespace quorin
