#include "curve/treatment_standard.h"

#include <gtest/gtest.h>

#include <cmath>

#include "curve_fixture.h"

namespace quorin {
namespace {

using testing::new_state;
using testing::set_counts;

// ln 199: the logit of 99.5 %.
const double kLogit_99_5 = std::log(199.0);

// NSB 100, 110, 120; TOTAL; zero standard 5100 x 3; standards given per test.
std::unique_ptr<Assay_State> treated_assay(int standards) {
  auto s = new_state();
  s->STD_Number = static_cast<Integer>(standards);
  s->STD_Tubes = 3;
  set_counts(*s, 1, {100, 110, 120});
  set_counts(*s, 2, {20000, 20000, 20000});
  set_counts(*s, 3, {5110, 5110, 5110});
  return s;
}

TEST(Treatment_Standard, MeanAndCvOfEachGroup) {
  auto s = treated_assay(1);
  set_counts(*s, 4, {1000, 0, 1200});
  Treatment_Standard(*s);
  EXPECT_EQ(s->STD_Tube_N(1), 3);
  EXPECT_EQ(s->STD_Data(1, 1), 110);
  EXPECT_NEAR(s->STD_Data(1, 2), 10.0 / 110 * 100, 1e-13);  // SD 10
  EXPECT_EQ(s->STD_Tube_N(4), 1) << "the 1200 after the empty tube is ignored";
  EXPECT_EQ(s->STD_Data(4, 1), 1000);
  EXPECT_EQ(s->STD_Data(4, 2), 0);
  EXPECT_EQ(s->STD_Data(3, 3), 100) << "the zero standard is its own reference";
  EXPECT_EQ(s->STD_Data(2, 3), 0) << "TOTAL gets no B/B0";
}

TEST(Treatment_Standard, BOverB0AndLogitOfTheStandards) {
  struct Case {
    Long count;
    double percent;
    double logit;
  };
  // NSB mean 110, zero-standard mean 5110: 2610 is 50 %.
  const Case cases[] = {{2610, 50, 0},
                        {5110, 99.5, kLogit_99_5},
                        {6000, 99.5, kLogit_99_5},
                        {110, 0.5, -kLogit_99_5},
                        {50, 0.5, -kLogit_99_5},
                        {5100, 99.8, std::log(99.8 / 0.2)},
                        {125, 0.3, std::log(0.3 / 99.7)}};
  for (const auto& c : cases) {
    auto s = treated_assay(1);
    set_counts(*s, 4, {c.count, c.count});
    Treatment_Standard(*s);
    EXPECT_NEAR(s->STD_Data(4, 3), c.percent, 1e-12) << c.count;
    EXPECT_NEAR(s->STD_Data(4, 8), c.logit, 1e-12) << c.count;
  }
}

TEST(Treatment_Standard, EqualZeroStandardAndNsbGiveEveryStandard0_5) {
  auto s = treated_assay(2);
  set_counts(*s, 3, {100, 110, 120});
  set_counts(*s, 4, {3000, 3000});
  set_counts(*s, 5, {50, 60});
  Treatment_Standard(*s);
  EXPECT_EQ(s->STD_Data(3, 3), 0);
  for (int row : {4, 5}) {
    EXPECT_EQ(s->STD_Data(row, 3), 0.5);
    EXPECT_NEAR(s->STD_Data(row, 8), -kLogit_99_5, 1e-12);
  }
  EXPECT_EQ(testing::first_non_finite(*s), "");
}

// No figure of an earlier count file survives in a group whose first tube is empty.
TEST(Treatment_Standard, GroupWithoutUsableTubesHasNoFigures) {
  auto s = treated_assay(2);
  set_counts(*s, 4, {2610, 2610});
  set_counts(*s, 5, {0, 3000, 3000});
  s->STD_Data(5, 1) = 1234;
  s->STD_Data(5, 2) = 5;
  s->STD_Data(5, 3) = 40;
  Treatment_Standard(*s);
  EXPECT_EQ(s->STD_Tube_N(5), 0);
  EXPECT_EQ(s->STD_Data(5, 1), 0);
  EXPECT_EQ(s->STD_Data(5, 2), 0);
  EXPECT_EQ(s->STD_Data(5, 3), 0.5) << "no B/B0: taken at the lower bound";
}

}  // namespace
}  // namespace quorin
