#include "curve/fitness.h"

#include <gtest/gtest.h>

#include <cmath>

#include "curve/fit_choice.h"
#include "curve_fixture.h"

namespace quorin {
namespace {

using testing::choose_line;
using testing::set_counts;

// NSB 100, B0 10100: a count c reads B/B0 = (c - 100) / 100 %. The chosen line y = -x makes a
// tube of B/B0 P read back as e^-logit(P) = (100 - P) / P.
std::unique_ptr<Assay_State> examined_assay() {
  auto s = testing::assay_with_means(3, 100, 10100);
  choose_line(*s, 2, 0, -1);
  return s;
}

double read_back(double percent) { return (100 - percent) / percent; }

TEST(Fitness_Examination, TenAndTwelveGiveCv12_856) {
  auto s = examined_assay();
  // Tubes at B/B0 100/11 % and 100/13 % read back 10 and 12 on y = -x (to rounding).
  s->STD_Number = 1;
  s->STD_Data(1, 1) = 0;
  s->STD_Data(3, 1) = 1100 * 13;  // counts 1300 and 1100 are 100/11 % and 100/13 %
  set_counts(*s, 4, {1300, 1100});
  s->STD_Tube_N(4) = 2;
  ASSERT_TRUE(Fitness_Examination(*s));
  EXPECT_NEAR(s->STD_Conc(4, 1), 10, 1e-12);
  EXPECT_NEAR(s->STD_Conc(4, 2), 12, 1e-12);
  EXPECT_NEAR(s->STD_Data(4, 4), 11, 1e-12);
  EXPECT_NEAR(s->STD_Data(4, 5), 2, 1e-12);
  EXPECT_NEAR(s->STD_Data(4, 6), 12.856486930664499, 1e-9);
}

TEST(Fitness_Examination, ClampsTo99And1AndExaminesEveryStandard) {
  struct Case {
    Long count;
    double percent_read;
  };
  const Case cases[] = {{10100, 99}, {12000, 99}, {10050, 99}, {200, 1}, {50, 1}, {150, 1}, {5100, 50}};
  for (const auto& c : cases) {
    auto s = examined_assay();
    s->Fit_From = 2;  // the regression's range does not limit the examination
    set_counts(*s, 6, {c.count});
    s->STD_Tube_N(6) = 1;
    ASSERT_TRUE(Fitness_Examination(*s));
    EXPECT_DOUBLE_EQ(s->STD_Conc(6, 1), read_back(c.percent_read)) << c.count;
    EXPECT_EQ(s->STD_Data(6, 5), 0);
    EXPECT_EQ(s->STD_Data(6, 6), 0) << "one tube has no CV";
  }
}

TEST(Fitness_Examination, EqualB0AndNsbEvaluatesEveryTubeAt1Percent) {
  auto s = examined_assay();
  s->STD_Data(3, 1) = 100;
  set_counts(*s, 4, {5000, 9000});
  s->STD_Tube_N(4) = 2;
  ASSERT_TRUE(Fitness_Examination(*s));
  EXPECT_DOUBLE_EQ(s->STD_Conc(4, 1), 99);
  EXPECT_DOUBLE_EQ(s->STD_Conc(4, 2), 99);
}

TEST(Fitness_Examination, AnswersBeyond700CountAsZeroAndEmptyStandardsGetZeros) {
  auto s = examined_assay();
  s->Reg_Coef(2, 5) = -0.001;  // so flat that 1 % reads back at x of about 4595
  set_counts(*s, 4, {150, 5100});
  s->STD_Tube_N(4) = 2;
  s->STD_Data(5, 4) = 7;  // an earlier result of a standard now without tubes
  s->STD_Tube_N(5) = 0;
  ASSERT_TRUE(Fitness_Examination(*s));
  EXPECT_EQ(s->STD_Conc(4, 1), 0);
  EXPECT_DOUBLE_EQ(s->STD_Conc(4, 2), 1);
  EXPECT_DOUBLE_EQ(s->STD_Data(4, 4), 0.5) << "the 0 still counts";
  EXPECT_EQ(s->STD_Data(5, 4), 0);
  EXPECT_EQ(testing::first_non_finite(*s), "");
}

TEST(Fitness_Examination, UnavailableChosenFitChangesNothing) {
  auto s = examined_assay();
  s->Reg_Order = 3;  // the cubic of weighting 2 was not computed
  set_counts(*s, 4, {5100});
  s->STD_Tube_N(4) = 1;
  s->STD_Data(4, 4) = 42;
  EXPECT_FALSE(Fitness_Examination(*s));
  EXPECT_EQ(s->STD_Data(4, 4), 42);
  EXPECT_EQ(selected_fit_unavailable_message(*s),
            "選ばれている検量線（重2 3次）は計算できていません。検量線表示で計算できる検量線を選んでください");
}

TEST(Fitness_Examination, SolvesTheChosenFitEvenWhenAnotherWasLeftCurrent) {
  auto s = examined_assay();
  set_counts(*s, 4, {5100});
  s->STD_Tube_N(4) = 1;
  for (int m = 29; m <= 34; ++m) s->Reg_Work(m) = 3;  // another fit's coefficients
  ASSERT_TRUE(Fitness_Examination(*s));
  EXPECT_DOUBLE_EQ(s->STD_Conc(4, 1), 1);
  EXPECT_EQ(s->Reg_Work(33), -1);
}

}  // namespace
}  // namespace quorin
