#include "curve/solve.h"

#include <gtest/gtest.h>

#include <cmath>

#include "curve_fixture.h"

namespace quorin {
namespace {

using testing::new_state;

void set_curve(Assay_State& s, double a0, double a1, double a2, double a3, double intercept, double slope) {
  const double slots[] = {a0, a1, a2, a3, slope, intercept};
  for (int k = 0; k < 6; ++k) s.Reg_Work(29 + k) = slots[k];
}

// Standards 1 and 2 with logits +2 and -2: the cubic is solved for -4 < target < 4.
std::unique_ptr<Assay_State> two_standards(int order) {
  auto s = new_state();
  s->STD_Number = 2;
  s->STD_Data(4, 8) = 2;
  s->STD_Data(5, 8) = -2;
  s->Reg_Order = static_cast<Integer>(order);
  return s;
}

double solve(Assay_State& s, double target) {
  s.Target_Logit = target;
  Solution_of_Equations(s);
  return s.Reg_Work(38);
}

TEST(Solution_of_Equations, StraightLineAnswersInClosedForm) {
  auto s = two_standards(1);
  set_curve(*s, 0, 0, 0, 0, 2, -1);
  EXPECT_EQ(solve(*s, 0), 2);
  EXPECT_EQ(s->Reg_Work(0), 2);
  EXPECT_EQ(s->Reg_Work(35), 2);
  set_curve(*s, 0, 0, 0, 0, 2, 0);
  EXPECT_EQ(solve(*s, 1.5), 0) << "a zero slope answers 0";
}

TEST(Solution_of_Equations, NewtonFindsTheCubicsRootInsideTheWindow) {
  auto s = two_standards(3);
  // y = 1 - x - 0.1 x^3, line y = 1 - 1.2 x as the start.
  set_curve(*s, 1, -1, 0, -0.1, 1, -1.2);
  const double x = solve(*s, 0.5);
  EXPECT_NEAR(1 - x - 0.1 * x * x * x, 0.5, 1e-9);
  EXPECT_LT(s->Reg_Work(40), 9.99999e-6);
  EXPECT_EQ(s->Reg_Work(0), (0.5 - 1) / -1.2);
}

TEST(Solution_of_Equations, OutsideTwiceTheOuterLogitsTheLineAnswers) {
  auto s = two_standards(3);
  set_curve(*s, 1, -1, 0, -0.1, 1, -1.2);
  for (double target : {4.0, 4.5, -4.0, -7.0}) EXPECT_EQ(solve(*s, target), (target - 1) / -1.2) << target;
  EXPECT_NE(solve(*s, 3.9), (3.9 - 1) / -1.2) << "just inside the window the cubic answers";
}

TEST(Solution_of_Equations, NewtonPointZeroEndsAfterOneStep) {
  auto s = two_standards(3);
  // The line answers exactly 0 for target 1; from 0 the relative step counts as 0, so the first
  // Newton point, 0.3, is the answer although the cubic does not pass through it.
  set_curve(*s, 1.3, -1, 0, -0.1, 1, -1.2);
  EXPECT_DOUBLE_EQ(solve(*s, 1), 0.3);
  EXPECT_EQ(s->Reg_Work(40), 0);
  // A zero derivative moves the point to 0 and goes on from there.
  set_curve(*s, 0.5, 0, 1, 0, -1, 1);  // y = 0.5 + x^2, f'(0) = 0 only at 0
  EXPECT_NEAR(solve(*s, 1.5), 1, 1e-9) << "from x_lin 2.5 Newton reaches the root 1";
  set_curve(*s, 0.5, 1, 1, 0, 0.5, 1);  // f'(-0.5) = 0: from x_lin -0.5 the next point is 0
  s->Target_Logit = 0;
  Solution_of_Equations(*s);
  EXPECT_EQ(s->Reg_Work(35), 0) << "the point after the zero derivative";
}

TEST(Solution_of_Equations, FiveStepsWithoutConvergenceGiveTheLineAnswerExactly) {
  auto s = two_standards(3);
  // f = x^3 - 2x - 0.2: from x_lin = 5 Newton needs more than five steps to reach the root near 1.47.
  set_curve(*s, 2, -2, 0, 1, 0.7, 0.3);
  const double x_lin = (2.2 - 0.7) / 0.3;
  const double x = solve(*s, 2.2);
  EXPECT_EQ(x, x_lin);
  EXPECT_EQ(s->Reg_Work(0), x_lin);
  EXPECT_GE(s->Reg_Work(40), 9.99999e-6);
  EXPECT_NE(s->Reg_Work(35), x_lin) << "the Newton point moved on";
}

TEST(Solution_of_Equations, OverflowingNewtonPointsFallBackWithoutNonFiniteSlots) {
  auto s = two_standards(3);
  set_curve(*s, 1, 0, 0, 1e-300, 1, 1e-300);  // x_lin about 1e300, x^3 overflows
  const double x = solve(*s, 0.5);
  EXPECT_EQ(x, s->Reg_Work(0));
  EXPECT_EQ(testing::first_non_finite(*s), "");
  set_curve(*s, 0, 0, 0, 0, 1, 1e-320);  // the line's quotient itself overflows: a zero slope
  EXPECT_EQ(solve(*s, 0.5), 0);
}

}  // namespace
}  // namespace quorin
