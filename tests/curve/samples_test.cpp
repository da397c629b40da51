#include "curve/samples.h"

#include <gtest/gtest.h>

#include <cmath>

#include "curve/fit_choice.h"
#include "curve_fixture.h"

namespace quorin {
namespace {

using testing::choose_line;

// NSB 100, B0 5100: a count c reads B/B0 = (c - 100) / 50 %. The chosen line y = ln 3 - x reads
// a tube of B/B0 P back as 3 / odds(P), so 2600 (50 %) gives 3.
std::unique_ptr<Assay_State> measured_assay() {
  auto s = testing::assay_with_means(4, 100, 5100);
  const double standards[] = {1, 2, 5, 10};
  for (int k = 1; k <= 4; ++k) s->STD_Data(3 + k, 0) = standards[k - 1];
  choose_line(*s, 0, std::log(3.0), -1);
  s->Dilution_Factor = 2;
  return s;
}

double read_back(double percent) { return 3 / (percent / (100 - percent)); }

void set_sample(Assay_State& s, Long sample, std::initializer_list<Long> counts) {
  int j = 0;
  for (Long count : counts) s.Sample_Count(sample, ++j) = count;
}

TEST(Assay_Samples, SummaryOfTheUsableTubes) {
  auto s = measured_assay();
  s->Sample_Number = 4;
  s->Sample_Tubes = 3;
  set_sample(*s, 1, {2600, 2600, 2600});
  set_sample(*s, 2, {2600, 3600, 0});     // measured in 2 of 3 tubes
  set_sample(*s, 3, {5100, 1100, 2600});  // first tube at B0 (100 %): not usable
  set_sample(*s, 4, {50, 100, 6000});     // nothing usable
  ASSERT_TRUE(Assay_Samples(*s));

  EXPECT_DOUBLE_EQ(s->Sample_Conc(1, 1), 3);
  EXPECT_DOUBLE_EQ(s->Sample_Data(1, 3), 6);
  EXPECT_EQ(s->Sample_Data(1, 0), 2);

  EXPECT_EQ(s->Sample_Tube_N(2), 2);
  EXPECT_EQ(s->Sample_Conc(2, 3), 0);
  EXPECT_DOUBLE_EQ(s->Sample_Data(2, 1), (3 + read_back(70)) / 2);
  EXPECT_DOUBLE_EQ(s->Sample_Data(2, 2), 3 - read_back(70));

  EXPECT_EQ(s->Sample_Conc(3, 1), 0);
  EXPECT_DOUBLE_EQ(s->Sample_Data(3, 2), read_back(20) - 3) << "range over the usable tubes only";
  EXPECT_DOUBLE_EQ(s->Sample_Data(3, 1), (read_back(20) + 3) / 2);

  for (int j = 1; j <= 3; ++j) EXPECT_EQ(s->Sample_Conc(4, j), 0);
  for (int c = 1; c <= 4; ++c) EXPECT_EQ(s->Sample_Data(4, c), 0);
  EXPECT_GT(s->Sample_Data(4, 5), 0) << "the counts still have their CV";
}

TEST(Assay_Samples, CountCvIncludesEmptyTubesInsideTheSpan) {
  auto s = measured_assay();
  s->Sample_Number = 1;
  s->Sample_Tubes = 4;
  set_sample(*s, 1, {1000, 0, 1200, 0});
  ASSERT_TRUE(Assay_Samples(*s));
  EXPECT_EQ(s->Sample_Tube_N(1), 3);
  // Counts 1000, 0, 1200: mean 733.33, SD 642.91.
  EXPECT_NEAR(s->Sample_Data(1, 5),
              std::sqrt((1000.0 * 1000 + 1200.0 * 1200 - 2200.0 * 2200 / 3) / 2) / (2200.0 / 3) * 100, 1e-9);
  EXPECT_NEAR(
      s->Sample_Data(1, 4),
      std::sqrt(2.0) * std::fabs(read_back(18) - read_back(22)) / 2 / ((read_back(18) + read_back(22)) / 2) * 100,
      1e-9);
}

TEST(Assay_Samples, AreaCodePlacesTheMeanAmongTheStandards) {
  struct Case {
    double mean;
    double code;
  };
  const Case cases[] = {{3, 2}, {0.5, 0}, {20, 4}, {1, 1}, {10, 4}};
  for (const auto& c : cases) {
    auto s = measured_assay();
    choose_line(*s, 0, std::log(c.mean), -1);
    s->Sample_Number = 1;
    s->Sample_Tubes = 1;
    set_sample(*s, 1, {2600});
    ASSERT_TRUE(Assay_Samples(*s));
    EXPECT_NEAR(s->Sample_Data(1, 1), c.mean, 1e-12);
    EXPECT_EQ(s->Sample_Data(1, 0), c.code) << c.mean;
  }
}

TEST(Assay_Samples, EmptyTubeIsNeverReadEvenWhenItsResponseLooksUsable) {
  auto s = measured_assay();
  s->STD_Data(1, 1) = -1000;  // an NSB mean below zero would put count 0 at 16.4 %
  s->Sample_Number = 1;
  s->Sample_Tubes = 2;
  set_sample(*s, 1, {2600, 0});
  ASSERT_TRUE(Assay_Samples(*s));
  EXPECT_EQ(s->Sample_Conc(1, 2), 0);
  EXPECT_EQ(s->Sample_Data(1, 2), 0);
}

TEST(Assay_Samples, AnswerBeyond700MakesTheTubeUnusable) {
  auto s = measured_assay();
  choose_line(*s, 0, 0, -0.001);  // x = 1000 * -logit: 1 % gives x of about 4595
  s->Sample_Number = 1;
  s->Sample_Tubes = 2;
  set_sample(*s, 1, {150, 2600});
  ASSERT_TRUE(Assay_Samples(*s));
  EXPECT_EQ(s->Sample_Conc(1, 1), 0);
  EXPECT_EQ(s->Sample_Data(1, 1), 1);
  EXPECT_EQ(s->Sample_Data(1, 2), 0);
  EXPECT_EQ(testing::first_non_finite(*s), "");
}

TEST(Control_Sera, TubesAreClampedAndAlwaysRead) {
  auto s = measured_assay();
  s->Sera_Number = 3;
  s->Sera_Tubes = 3;
  const Long counts[3][3] = {{2600, 6000, 50}, {2600, 0, 0}, {0, 0, 0}};
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) s->Sera_Count(i, j) = counts[i - 1][j - 1];
  s->Sera_Conc(3, 1) = 77;  // a serum without counts keeps its tube values
  ASSERT_TRUE(Control_Sera(*s));

  EXPECT_EQ(s->Sera_Tube_N(1), 3);
  EXPECT_DOUBLE_EQ(s->Sera_Conc(1, 1), 3);
  EXPECT_DOUBLE_EQ(s->Sera_Conc(1, 2), read_back(99.5));
  EXPECT_DOUBLE_EQ(s->Sera_Conc(1, 3), read_back(0.5));
  EXPECT_DOUBLE_EQ(s->Sera_Data(1, 1), (3 + read_back(99.5) + read_back(0.5)) / 3);
  EXPECT_DOUBLE_EQ(s->Sera_Data(1, 2), read_back(0.5) - read_back(99.5));
  EXPECT_GT(s->Sera_Data(1, 3), 0);
  EXPECT_GT(s->Sera_Data(1, 5), 0);

  EXPECT_EQ(s->Sera_Tube_N(2), 1);
  EXPECT_DOUBLE_EQ(s->Sera_Data(2, 1), 3) << "one counted tube is its own mean";
  EXPECT_EQ(s->Sera_Data(2, 2), 0);
  EXPECT_EQ(s->Sera_Data(2, 5), 0);

  EXPECT_EQ(s->Sera_Tube_N(3), 0);
  EXPECT_EQ(s->Sera_Conc(3, 1), 77);
  for (int c : {1, 2, 3, 5}) EXPECT_EQ(s->Sera_Data(3, c), 0);
}

TEST(Control_Sera, EmptyTubeInsideTheSpanIsNotAMeasurement) {
  auto s = measured_assay();
  s->Sera_Number = 1;
  s->Sera_Tubes = 3;
  s->Sera_Count(1, 1) = 2600;
  s->Sera_Count(1, 3) = 3600;
  ASSERT_TRUE(Control_Sera(*s));
  EXPECT_EQ(s->Sera_Tube_N(1), 3);
  EXPECT_EQ(s->Sera_Conc(1, 2), 0);
  EXPECT_DOUBLE_EQ(s->Sera_Data(1, 1), (3 + read_back(70)) / 2);
  EXPECT_DOUBLE_EQ(s->Sera_Data(1, 2), 3 - read_back(70));
  // The count CV keeps the empty tube: counts 2600, 0, 3600.
  EXPECT_NEAR(s->Sera_Data(1, 5),
              std::sqrt((2600.0 * 2600 + 3600.0 * 3600 - 6200.0 * 6200 / 3) / 2) / (6200.0 / 3) * 100, 1e-9);
}

TEST(Samples_And_Sera, UnavailableChosenFitChangesNothing) {
  auto s = measured_assay();
  s->Reg_Order = 3;
  s->Sample_Number = 1;
  s->Sample_Tubes = 1;
  set_sample(*s, 1, {2600});
  s->Sample_Data(1, 1) = 42;
  s->Sera_Number = 1;
  s->Sera_Tubes = 1;
  s->Sera_Count(1, 1) = 2600;
  s->Sera_Data(1, 1) = 43;
  EXPECT_FALSE(Assay_Samples(*s));
  EXPECT_FALSE(Control_Sera(*s));
  EXPECT_EQ(s->Sample_Data(1, 1), 42);
  EXPECT_EQ(s->Sample_Tube_N(1), 0);
  EXPECT_EQ(s->Sera_Data(1, 1), 43);
  EXPECT_EQ(s->Sera_Tube_N(1), 0);
}

}  // namespace
}  // namespace quorin
