// The standard plot: what its two pictures hold, and the standards it refuses to plot.

#include <cmath>

#include "graph/plot_axes.h"
#include "graph_fixture.h"

namespace quorin {
namespace {

using Type = ui::Draw_Op::Type;

struct Op_Count {
  int dotted_grey_lines = 0;
  int yellow_circles = 0;
  int other = 0;
};

Op_Count count_ops(const ui::Picture_Area& plot) {
  Op_Count count;
  for (const ui::Draw_Op& op : plot.ops()) {
    const bool dotted = op.style == ui::Draw_Style::Dotted;
    if (op.type == Type::Line && op.colour == ui::Light_Grey && dotted) ++count.dotted_grey_lines;
    else if (op.type == Type::Circle && op.colour == ui::Yellow && !dotted) ++count.yellow_circles;
    else ++count.other;
  }
  return count;
}

class Standard_Plot : public testing::Graph_Test {};

TEST_F(Standard_Plot, DrawsGridAndOneCirclePerStandardInBothPlots) {
  enter_assay({1, 3, 10, 30});
  show_standard_plot();
  Reg_Graph& g = graph();
  EXPECT_EQ(state.Plot_Stage, 1);
  EXPECT_EQ(g.caption, "スタンダード　プロット");
  EXPECT_EQ(g.Command[8].caption, "検量線表示");

  struct Expected {
    int plot, grid_lines, column;
    double top, height;
  };
  for (const Expected& e : {Expected{0, 11 + 4, 3, -100, 100}, Expected{1, 7 + 4, 8, -3.5, 7}}) {
    SCOPED_TRACE(e.plot);
    const ui::Picture_Area& plot = g.Picture1[e.plot];
    const Op_Count count = count_ops(plot);
    EXPECT_EQ(count.dotted_grey_lines, e.grid_lines);
    EXPECT_EQ(count.yellow_circles, 4);
    EXPECT_EQ(count.other, 0);
    EXPECT_DOUBLE_EQ(plot.scale_left, std::log(1.0));
    EXPECT_DOUBLE_EQ(plot.scale_width, std::log(30.0));
    EXPECT_EQ(plot.scale_top, e.top);
    EXPECT_EQ(plot.scale_height, e.height);
    // The circles stand at (ln c, -value): large values at the top.
    int k = 0;
    for (const ui::Draw_Op& op : plot.ops()) {
      if (op.type != Type::Circle) continue;
      ++k;
      EXPECT_DOUBLE_EQ(op.x1, std::log(state.STD_Data(3 + k, 0)));
      EXPECT_DOUBLE_EQ(op.y1, -state.STD_Data(3 + k, e.column));
      EXPECT_DOUBLE_EQ(op.x2, std::log(30.0) / 80);
    }
  }
  EXPECT_EQ(g.Tick[0].caption, "100");
  EXPECT_EQ(g.Tick[2].caption, "0");
  EXPECT_EQ(g.Title[0].caption, "log(標準品濃度)-Ｂ／Ｂo");
  EXPECT_EQ(g.Title[1].caption, "log(標準品濃度)-logit(Ｂ／Ｂo)");
  EXPECT_FALSE(g.Picture1[2].visible);
  EXPECT_FALSE(g.Choice[0].visible);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(Standard_Plot, DecreasingStandardsGiveAMirroredAxisWithTheSamePoints) {
  enter_assay({30, 10, 3, 1});
  show_standard_plot();
  const ui::Picture_Area& plot = graph().Picture1[0];
  EXPECT_DOUBLE_EQ(plot.scale_left, std::log(30.0));
  EXPECT_DOUBLE_EQ(plot.scale_width, -std::log(30.0));
  EXPECT_EQ(count_ops(plot).yellow_circles, 4);
}

TEST_F(Standard_Plot, StandardsThatCannotBePlottedAreRefusedWithTheReason) {
  struct Case {
    std::vector<double> concentrations;
    void (*spoil)(Assay_State&);
    const char* names;
  };
  const Case cases[] = {
      {{5, 10, 5}, [](Assay_State&) {}, "スタンダード 1 と スタンダード 3 の濃度が同じ"},
      {{1, 2, 10}, [](Assay_State& s) { s.STD_Data(5, 0) = -2; }, "スタンダード 2 の濃度が 0 以下"},
      {{7}, [](Assay_State&) {}, "2 点以上ない"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.names);
    enter_assay({1, 3, 10, 30});
    show_standard_plot();  // a good plot first: the refusal must not leave it standing
    platform.messages.clear();

    enter_assay(c.concentrations);
    c.spoil(state);
    show_standard_plot();
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].find(c.names), std::string::npos) << platform.messages[0];
    EXPECT_TRUE(graph().Picture1[0].ops().empty());
    EXPECT_TRUE(graph().Picture1[1].ops().empty());
    EXPECT_EQ(state.Plot_Stage, 0) << "nothing is drawn, so the results stay out of reach";
  }
}

TEST_F(Standard_Plot, ButtonEightAlternatesBetweenTheTwoViews) {
  enter_assay({1, 3, 10, 30});
  show_standard_plot();
  Reg_Graph& g = graph();
  EXPECT_FALSE(g.Command[target::Results].enabled) << "no curve yet";

  switch_view();
  EXPECT_EQ(state.Plot_Stage, 2);
  EXPECT_EQ(g.caption, "検量線表示");
  EXPECT_EQ(g.Command[8].caption, "PLOT表示");
  EXPECT_TRUE(g.Picture1[3].visible);
  EXPECT_TRUE(g.Choice[7].visible);
  EXPECT_EQ(g.Tick[0].caption, "3");
  EXPECT_TRUE(g.Command[target::Results].enabled);

  switch_view();
  EXPECT_EQ(state.Plot_Stage, 1);
  EXPECT_EQ(g.caption, "スタンダード　プロット");
  EXPECT_EQ(g.Command[8].caption, "検量線表示");
  EXPECT_FALSE(g.Picture1[3].visible);
  EXPECT_FALSE(g.Coefficient[0].visible);
  EXPECT_EQ(g.Tick[0].caption, "100");

  switch_view();
  EXPECT_EQ(state.Plot_Stage, 2);
}

TEST_F(Standard_Plot, CurveAxisRunsFromHalfTheFirstToTwiceTheLastStandardEitherWay) {
  using Concentrations = std::vector<double>;
  for (const Concentrations& concentrations : {Concentrations{1, 3, 10, 30}, Concentrations{30, 10, 3, 1}}) {
    SCOPED_TRACE(concentrations[0]);
    enter_assay(concentrations);
    show_standard_plot();
    switch_view();
    const Curve_Axis axis = curve_axis(state);
    const double first = concentrations.front(), last = concentrations.back();
    const bool increasing = last > first;
    EXPECT_NEAR(std::exp(axis.left), increasing ? first / 2 : first * 2, 1e-12);
    EXPECT_NEAR(std::exp(axis.right()), increasing ? last * 2 : last / 2, 1e-12);
    // Every standard lies strictly inside the axis, whichever way it runs.
    for (int i = 1; i <= 4; ++i) {
      const double along = (state.STD_Log_Conc(i) - axis.left) / axis.width;
      EXPECT_GT(along, 0);
      EXPECT_LT(along, 1);
    }
  }
}

}  // namespace
}  // namespace quorin
