#include "curve/weight_table.h"

#include <gtest/gtest.h>

#include <cmath>

#include "curve/fit_choice.h"
#include "curve_fixture.h"

namespace quorin {
namespace {

using testing::set_counts;

// Eight fits put in place by hand: weighting w has the line y = (2 + w) - x and the cubic
// y = (2 + w) - x + 0.001 x^3; all available unless a test says otherwise.
std::unique_ptr<Assay_State> compared_assay() {
  auto s = testing::assay_with_means(2, 100, 10000);
  s->STD_Data(4, 8) = 4;  // the cubic is solved for -8 < logit < 8
  s->STD_Data(5, 8) = -4;
  set_counts(*s, 3, {10000});
  s->STD_Tube_N(3) = 1;
  for (int w = 0; w < 4; ++w) {
    const double coefficients[] = {2.0 + w, -1, 0, 0.001, -1, 2.0 + w};
    for (int m = 1; m <= 6; ++m) s->Reg_Coef(w, m) = coefficients[m - 1];
  }
  s->Fit_Available.fill(true);
  s->Weight_Type = 2;
  s->Reg_Order = 3;
  return s;
}

TEST(Weight_Table, EdColumnsRunFromLogitPlus3_5DownToMinus3_5) {
  auto s = compared_assay();
  Weight_Grids grids;
  Weight_Table(*s, grids);
  EXPECT_EQ(grids.ed(0, 1), "重無1次");
  EXPECT_EQ(grids.ed(0, 6), "重2 3次");
  EXPECT_EQ(grids.detection(0, 8), "重3 3次");
  EXPECT_EQ(grids.ed(51, 0), "50");
  EXPECT_EQ(grids.detection(3, 0), "AVG-STDx 3");
  // Column 1, the unweighted line y = 2 - x: ED k lies at x = 2 - (0.07 k - 3.5).
  EXPECT_EQ(grids.ed(1, 1), "0.22313");      // ED 100: e^-1.5
  EXPECT_EQ(grids.ed(51, 1), "7.38906");     // ED 50: e^2
  EXPECT_EQ(grids.ed(101, 1), "244.69193");  // ED 0: e^5.5
  EXPECT_EQ(s->ED50_Value(0), std::exp(2.0));
  for (int c = 1; c <= 8; ++c)
    for (int row = 1; row <= 101; ++row) EXPECT_FALSE(grids.ed(row, c).empty()) << row << ", " << c;
  // Every fit's ED 50 row and its ED50_Value agree; the cubics' differ from their lines.
  for (int w = 0; w < 4; ++w) {
    for (int order : {1, 3}) {
      const int column = 2 * w + (order == 1 ? 1 : 2);
      const double ed50 = s->ED50_Value(fit_index(w, order));
      EXPECT_NEAR(std::stod(grids.ed(51, column)), ed50, 5e-6) << column;
    }
    EXPECT_GT(std::fabs(s->ED50_Value(4 + w) - s->ED50_Value(w)), 1e-3);
    EXPECT_NEAR(std::log(s->ED50_Value(w)), 2.0 + w, 1e-12);
  }
}

TEST(Weight_Table, DetectionLimitsFromTheZeroStandardSpread) {
  auto s = compared_assay();
  Weight_Grids grids;
  Weight_Table(*s, grids);
  // One zero-standard tube: SD 0, every row at B0 itself, clamped to 99 %: x = 2 - ln 99.
  for (int d = 1; d <= 3; ++d) EXPECT_EQ(grids.detection(d, 1), "0.07464") << d;

  set_counts(*s, 3, {10000, 10300, 9700});  // SD 300 about B0 10000, NSB 100
  s->STD_Tube_N(3) = 3;
  Weight_Table(*s, grids);
  for (int d = 1; d <= 3; ++d) {
    const double percent = (10000 - 300.0 * d - 100) / 9900 * 100;
    const double expected = std::exp(2 - std::log(percent / (100 - percent)));
    EXPECT_NEAR(std::stod(grids.detection(d, 1)), expected, 5e-6) << d;
  }
}

TEST(Weight_Table, UnavailableFitsAndUnrepresentableValuesShowNoValue) {
  auto s = compared_assay();
  s->Fit_Available(fit_index(1, 3)) = false;
  s->ED50_Value(fit_index(1, 3)) = 9;  // from an earlier comparison
  s->Reg_Coef(3, 5) = -0.001;          // weighting 3's line: x = 1000 (6 - logit)
  s->Reg_Coef(3, 6) = 6;
  Weight_Grids grids;
  Weight_Table(*s, grids);
  for (int row = 1; row <= 101; ++row) EXPECT_EQ(grids.ed(row, 4), "");
  for (int d = 1; d <= 3; ++d) EXPECT_EQ(grids.detection(d, 4), "");
  EXPECT_EQ(s->ED50_Value(fit_index(1, 3)), 0);
  // Weighting 3's line: no ED is representable (x >= 2500), its detection limits read 0.
  for (int row = 1; row <= 101; ++row) EXPECT_EQ(grids.ed(row, 7), "");
  EXPECT_EQ(s->ED50_Value(3), 0);
  EXPECT_EQ(grids.detection(1, 7), "0.00000");
  EXPECT_EQ(testing::first_non_finite(*s), "");
}

TEST(Weight_Table, KeepsTheChoiceAndLeavesWeighting3Current) {
  auto s = compared_assay();
  Weight_Grids grids;
  Weight_Table(*s, grids);
  EXPECT_EQ(s->Weight_Type, 2);
  EXPECT_EQ(s->Reg_Order, 3);
  for (int m = 1; m <= 6; ++m) EXPECT_EQ(s->Reg_Work(28 + m), s->Reg_Coef(3, m));
}

}  // namespace
}  // namespace quorin
