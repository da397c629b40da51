#include "curve/regression.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "curve/fit_choice.h"
#include "curve/treatment_standard.h"
#include "curve_fixture.h"

namespace quorin {
namespace {

using testing::first_non_finite;
using testing::new_state;
using testing::set_counts;
using testing::set_treated_standard;

// The closed-form elimination agrees with an exact solution to about 1e-11 on ordinary
// standard sets (normal equations of a cubic in ln(conc)); 1e-9 leaves room without hiding a
// wrong term.
constexpr double kFit_Tolerance = 1e-9;

// Weighted least squares by Givens rotations in long double, written independently of the
// program: coefficients c0..c_degree.
std::vector<long double> givens_fit(const std::vector<double>& x, const std::vector<double>& y,
                                    const std::vector<double>& w, int degree) {
  const int n = degree + 1;
  std::vector<std::vector<long double>> r(n, std::vector<long double>(n + 1, 0));
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (w[i] <= 0) continue;
    std::vector<long double> row(n + 1);
    const long double root = std::sqrt(static_cast<long double>(w[i]));
    for (int k = 0; k < n; ++k) row[k] = root * std::pow(static_cast<long double>(x[i]), k);
    row[n] = root * y[i];
    for (int k = 0; k < n; ++k) {
      const long double radius = std::hypot(r[k][k], row[k]);
      if (radius == 0) continue;
      const long double c = r[k][k] / radius, s = row[k] / radius;
      for (int j = k; j <= n; ++j) {
        const long double top = r[k][j], bottom = row[j];
        r[k][j] = c * top + s * bottom;
        row[j] = -s * top + c * bottom;
      }
    }
  }
  std::vector<long double> coefficients(n);
  for (int k = n - 1; k >= 0; --k) {
    long double value = r[k][n];
    for (int j = k + 1; j < n; ++j) value -= r[k][j] * coefficients[j];
    coefficients[k] = value / r[k][k];
  }
  return coefficients;
}

void expect_close(double actual, long double expected, const std::string& what) {
  const long double scale = std::max<long double>(std::fabs(expected), 1e-3L);
  EXPECT_LE(std::fabs(actual - expected) / scale, kFit_Tolerance)
      << what << ": " << actual << " vs " << double(expected);
}

// An assay of n standards with the counts of a competitive curve and replicate scatter, treated.
void fill_random_assay(Assay_State& s, std::mt19937& random, int n) {
  std::uniform_real_distribution<double> unit(0, 1);
  s.STD_Number = static_cast<Integer>(n);
  s.STD_Tubes = 3;
  const double nsb = 200 + 300 * unit(random), b0 = 8000 + 6000 * unit(random);
  set_counts(s, 1, {Long(nsb), Long(nsb * 1.05), Long(nsb * 0.97)});
  set_counts(s, 2, {30000, 30100, 29900});
  set_counts(s, 3, {Long(b0), Long(b0 * 1.02), Long(b0 * 0.99)});
  std::vector<double> concentrations;
  const double low = std::log(0.01 + unit(random)), step = 0.4 + unit(random);
  for (int k = 1; k <= n; ++k) concentrations.push_back(std::exp(low + step * (k - 1) + 0.2 * unit(random)));
  const double ed50 = concentrations[n / 2], hill = 0.7 + 0.6 * unit(random);
  for (int k = 1; k <= n; ++k) {
    s.STD_Data(3 + k, 0) = concentrations[k - 1];
    const double bound = nsb + (b0 - nsb) / (1 + std::pow(concentrations[k - 1] / ed50, hill));
    for (int j = 1; j <= 3; ++j) s.STD_Count(3 + k, j) = Long(bound * (0.94 + 0.12 * unit(random)));
  }
  Treatment_Standard(s);
  s.Fit_From = 1;
  s.Fit_To = static_cast<Integer>(n);
}

// Checks the eight fits of a state after Regression against least-squares solutions computed
// here: the distance factors from this test's own unweighted cubic and its own clamp rule.
void expect_fits_match_independent_solution(const Assay_State& s, const std::string& where) {
  const int n = s.Fit_To;
  std::vector<double> x, y, p;
  for (int i = 1; i <= n; ++i) {
    x.push_back(std::log(s.STD_Data(3 + i, 0)));
    y.push_back(s.STD_Data(3 + i, 8));
    p.push_back(s.STD_Data(3 + i, 3));
  }
  const std::vector<double> ones(n, 1.0);
  const auto unweighted_cubic = givens_fit(x, y, ones, 3);
  const double nsb = s.STD_Data(1, 1), b0 = s.STD_Data(3, 1);
  std::vector<double> distance(n), logit_correction(n), both(n);
  for (int i = 0; i < n; ++i) {
    long double curve = 0;
    for (int k = 3; k >= 0; --k) curve = curve * x[i] + unweighted_cubic[k];
    double ss = 0;
    for (int j = 1; j <= s.STD_Tube_N(4 + i); ++j) {
      double percent = (s.STD_Count(4 + i, j) - nsb) / (b0 - nsb) * 100;
      percent = percent >= 100 ? 99.5 : percent <= 0 ? 0.5 : percent;
      const double deviation = std::log(percent / (100 - percent)) - double(curve);
      ss += deviation * deviation;
    }
    distance[i] = (s.STD_Tube_N(4 + i) - 1) / ss / 100;
    logit_correction[i] = std::pow(p[i] * (100 - p[i]) / 1e4, 2);
    both[i] = distance[i] * logit_correction[i];
  }
  const std::vector<double>* weights[] = {&ones, &distance, &logit_correction, &both};
  for (int w = 0; w < 4; ++w) {
    const auto cubic = givens_fit(x, y, *weights[w], 3);
    const auto line = givens_fit(x, y, *weights[w], 1);
    const std::string fit = where + " weighting " + std::to_string(w);
    for (int k = 0; k < 4; ++k) expect_close(s.Reg_Coef(w, 1 + k), cubic[k], fit + " a" + std::to_string(k));
    expect_close(s.Reg_Coef(w, 5), line[1], fit + " slope");
    expect_close(s.Reg_Coef(w, 6), line[0], fit + " intercept");
  }
}

TEST(Regression, EveryFitAgreesWithAnIndependentWeightedLeastSquaresSolution) {
  std::mt19937 random(20240501);
  for (int trial = 0; trial < 40; ++trial) {
    auto s = new_state();
    fill_random_assay(*s, random, 4 + trial % 9);
    const auto result = Regression(*s);
    ASSERT_TRUE(result.messages.empty()) << result.messages.front();
    expect_fits_match_independent_solution(*s, "trial " + std::to_string(trial));
    EXPECT_EQ(first_non_finite(*s), "");
  }
}

TEST(Regression, SingleTubeStandardGetsDistanceFactorZero) {
  std::mt19937 random(7);
  auto s = new_state();
  fill_random_assay(*s, random, 7);
  s->STD_Tube_N(6) = 1;
  auto moved = new_state();
  *moved = *s;
  moved->STD_Count(6, 1) += 900;  // the single tube's scatter does not matter
  Regression(*s);
  Regression(*moved);
  expect_fits_match_independent_solution(*s, "single tube");
  for (int m = 1; m <= 6; ++m) EXPECT_EQ(s->Reg_Coef(1, m), moved->Reg_Coef(1, m));
}

TEST(Regression, DistanceFactorMovesOnlyTubesAtOrBeyondTheBoundsTo99_5And0_5) {
  std::mt19937 random(11);
  auto s = new_state();
  fill_random_assay(*s, random, 6);
  const double nsb = s->STD_Data(1, 1), b0 = s->STD_Data(3, 1);
  auto count_at = [&](double percent) { return Long(std::lround(nsb + (b0 - nsb) * percent / 100)); };
  // 99.8 % and 0.3 % stay as they are; 100 %, 120 %, 0 % and below are moved.
  set_counts(*s, 4, {count_at(99.8), count_at(100), count_at(120)});
  set_counts(*s, 9, {count_at(0.3), count_at(0), count_at(-5)});
  Treatment_Standard(*s);
  const auto result = Regression(*s);
  ASSERT_TRUE(result.messages.empty()) << result.messages.front();
  expect_fits_match_independent_solution(*s, "clamped tubes");
}

// Mean logits exactly on y = 0.3 - 1.1 x + 0.05 x^2 - 0.02 x^3, replicate tubes scattered
// around them so that every weight is positive.
void fill_exact_cubic(Assay_State& s, const std::vector<double>& concentrations) {
  const int n = static_cast<int>(concentrations.size());
  s.STD_Number = static_cast<Integer>(n);
  s.STD_Tubes = 3;
  s.STD_Data(1, 1) = 250;
  s.STD_Data(3, 1) = 10250;
  for (int k = 1; k <= n; ++k) {
    const double x = std::log(concentrations[k - 1]);
    const double y = 0.3 - 1.1 * x + 0.05 * x * x - 0.02 * x * x * x;
    const double bound = 250 + 10000 / (1 + std::exp(-y));
    set_treated_standard(s, k, concentrations[k - 1], y, {Long(bound * 0.97), Long(bound * 1.01), Long(bound * 1.04)});
  }
  s.Fit_From = 1;
  s.Fit_To = static_cast<Integer>(n);
}

TEST(Regression, DataOnACubicGiveThatCubicUnderEveryWeighting) {
  // The second set lies symmetrically about concentration 1, where the odd sums vanish.
  for (const auto& concentrations : {std::vector<double>{1, 2, 5, 10, 20, 50, 100},
                                     std::vector<double>{0.25, 0.5, 1, 2, 4}, std::vector<double>{0.01, 0.1, 1, 10}}) {
    auto s = new_state();
    fill_exact_cubic(*s, concentrations);
    const auto result = Regression(*s);
    ASSERT_TRUE(result.messages.empty()) << result.messages.front();
    const double expected[] = {0.3, -1.1, 0.05, -0.02};
    for (int w = 0; w < 4; ++w)
      for (int k = 0; k < 4; ++k) expect_close(s->Reg_Coef(w, 1 + k), expected[k], "weighting " + std::to_string(w));
  }
}

TEST(Regression, RunsTheFourWeightingsAndKeepsTheUsersChoice) {
  auto s = new_state();
  fill_exact_cubic(*s, {1, 2, 5, 10, 20});
  s->Weight_Type = 3;
  s->Reg_Order = 3;
  Regression(*s);
  EXPECT_EQ(s->Weight_Type, 3);
  EXPECT_EQ(s->Reg_Order, 3);
  EXPECT_EQ(s->Plot_Stage, 2);
  for (int m = 1; m <= 6; ++m) EXPECT_EQ(s->Reg_Work(28 + m), s->Reg_Coef(2, m)) << "weighting 2 is fitted last";
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(s->Distance_Weight(i), 1) << "weighting 2 resets the distance factors";
  for (int index = 0; index < 8; ++index) EXPECT_TRUE(s->Fit_Available(index));
}

TEST(Regression, FillsTheLogConcentrationOfEveryStandardWhateverTheRange) {
  auto s = new_state();
  fill_exact_cubic(*s, {1, 2, 5, 10, 20, 50});
  s->Fit_From = 2;
  s->Fit_To = 5;
  const auto result = Regression(*s);
  EXPECT_TRUE(result.messages.empty());
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(s->STD_Log_Conc(i), std::log(s->STD_Data(3 + i, 0)));
  EXPECT_EQ(s->Distance_Weight(1), 0) << "outside the range nothing is written";
}

struct Unavailable_Case {
  const char* name;
  void (*arrange)(Assay_State&);
  std::vector<int> available;  // fit indices (weighting, 4 + weighting for the cubic)
  std::vector<std::string> messages;
};

const Unavailable_Case kUnavailable_Cases[] = {
    {"concentration zero",
     [](Assay_State& s) { s.STD_Data(6, 0) = 0; },
     {},
     {"スタンダード 3 の濃度が 0 以下のため、検量線を計算できません"}},
    {"concentration negative, outside the range",
     [](Assay_State& s) {
       s.STD_Data(4, 0) = -1;
       s.Fit_From = 2;
     },
     {},
     {"スタンダード 1 の濃度が 0 以下のため、検量線を計算できません"}},
    {"empty range",
     [](Assay_State& s) {
       s.Fit_From = 4;
       s.Fit_To = 2;
     },
     {},
     {"回帰の範囲 STD 4 ～ STD 2 が正しくありません（1 ～ 6 の範囲で、始めを終わり以下にしてください）"}},
    {"range beyond the standards",
     [](Assay_State& s) { s.Fit_To = 7; },
     {},
     {"回帰の範囲 STD 1 ～ STD 7 が正しくありません（1 ～ 6 の範囲で、始めを終わり以下にしてください）"}},
    {"three concentrations",
     [](Assay_State& s) {
       s.Fit_From = 2;
       s.Fit_To = 4;
     },
     {0, 2},
     {"重無3次・重2 3次：回帰に使える濃度が 3 種類しかありません（3次式には 4 種類以上が必要です）",
      "重1 1次・重1 3次・重3 1次・重3 3次：重み付け無しの3次式が計算できないため、距離の重みが決まりません"}},
    {"repeated concentrations",
     [](Assay_State& s) {
       s.STD_Data(5, 0) = s.STD_Data(4, 0);
       s.STD_Data(7, 0) = s.STD_Data(6, 0);
       s.STD_Data(9, 0) = s.STD_Data(8, 0);
     },
     {0, 2},
     {"重無3次・重2 3次：回帰に使える濃度が 3 種類しかありません（3次式には 4 種類以上が必要です）",
      "重1 1次・重1 3次・重3 1次・重3 3次：重み付け無しの3次式が計算できないため、距離の重みが決まりません"}},
    {"one concentration",
     [](Assay_State& s) {
       s.Fit_From = 3;
       s.Fit_To = 3;
     },
     {},
     {"重無1次・重2 1次：回帰に使える濃度が 1 種類しかありません（1次式には 2 種類以上が必要です）",
      "重無3次・重2 3次：回帰に使える濃度が 1 種類しかありません（3次式には 4 種類以上が必要です）",
      "重1 1次・重1 3次・重3 1次・重3 3次：重み付け無しの3次式が計算できないため、距離の重みが決まりません"}},
    {"standard without a usable tube",
     [](Assay_State& s) { s.STD_Tube_N(5) = 0; },
     {},
     {"スタンダード 2 の1本目のチューブに測定値がないため、B/B0 が求まりません"}},
    {"every standard at one B/B0: a flat curve",
     [](Assay_State& s) {
       for (int k = 1; k <= 6; ++k) {
         s.STD_Data(3 + k, 3) = 99.5;
         s.STD_Data(3 + k, 8) = std::log(199.0);
       }
     },
     {},
     {"回帰範囲のスタンダードの B/B0 がすべて 99.5% で同じため、検量線が水平になり濃度を求められません（B0 "
      "以上のカウントは 99.5%、NSB 以下のカウントは 0.5% とみなされます）"}},
    {"zero standard not above the NSB",
     [](Assay_State& s) { s.STD_Data(3, 1) = 250; },
     {},
     {"ゼロスタンダード（B0）の平均カウント 250 が NSB の平均カウント 250 以下のため、B/B0 が求まりません"}},
    {"every standard a single tube",
     [](Assay_State& s) {
       for (int k = 1; k <= 6; ++k) s.STD_Tube_N(3 + k) = 1;
     },
     {0, 2, 4, 6},
     {"重1 1次・重3 1次：回帰に使える濃度が 0 種類しかありません（1次式には 2 種類以上が必要です）",
      "重1 3次・重3 3次：回帰に使える濃度が 0 種類しかありません（3次式には 4 種類以上が必要です）"}},
};

TEST(Regression, UnavailableFitsAreReportedAndLeaveNoStaleOrNonFiniteValue) {
  for (const auto& test : kUnavailable_Cases) {
    SCOPED_TRACE(test.name);
    auto s = new_state();
    fill_exact_cubic(*s, {1, 2, 5, 10, 20, 50});
    s->Weight_Type = 1;
    s->Reg_Coef.fill(7);  // coefficients of an earlier run
    s->Fit_Available.fill(true);
    test.arrange(*s);
    const auto result = Regression(*s);
    EXPECT_EQ(result.messages, test.messages);
    for (int index = 0; index < 8; ++index) {
      const bool expected = std::find(test.available.begin(), test.available.end(), index) != test.available.end();
      EXPECT_EQ(s->Fit_Available(index), expected) << "fit " << index;
      const int w = index % 4;
      const int first = index < 4 ? 5 : 1, last = index < 4 ? 6 : 4;
      if (!expected) {
        for (int m = first; m <= last; ++m) EXPECT_EQ(s->Reg_Coef(w, m), 0) << "fit " << index << " slot " << m;
      }
    }
    EXPECT_EQ(s->Weight_Type, 1);
    EXPECT_EQ(first_non_finite(*s), "");
  }
}

TEST(Regression, AvailabilityIsAskedByWeightingAndOrder) {
  auto s = new_state();
  fill_exact_cubic(*s, {1, 2, 5, 10, 20, 50});
  s->Fit_From = 2;
  s->Fit_To = 4;  // three concentrations: lines of weightings 0 and 2 only
  Regression(*s);
  EXPECT_TRUE(fit_available(*s, 2, 1));
  EXPECT_FALSE(fit_available(*s, 2, 3));
  EXPECT_FALSE(fit_available(*s, 1, 1));
  EXPECT_FALSE(fit_available(*s, 4, 1)) << "no such weighting";
  EXPECT_FALSE(fit_available(*s, -1, 3));
}

}  // namespace
}  // namespace quorin
