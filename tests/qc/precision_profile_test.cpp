// The precision profile on known data: CVs laid exactly on a chosen ln CV = a + b ln x + c (ln x)^2
// give back its coefficients and the working range between its known crossings of the limit;
// scattered CVs give what the normal equations solved another way give; samples that are not
// replicated do not count.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "qc/precision_profile.h"

namespace quorin::qc {
namespace {

constexpr double Close = 1e-9;  // relative: a least-squares fit of 3 coefficients to exact data

// Samples of two usable tubes with these (mean concentration, CV), and these standards. A few
// samples that must not count come first: one usable tube only, a CV of 0, no concentration.
std::unique_ptr<Assay_State> assay_with(const std::vector<std::pair<double, double>>& points,
                                        const std::vector<double>& standards) {
  auto s = std::make_unique<Assay_State>();
  s->STD_Number = static_cast<Integer>(standards.size());
  for (std::size_t k = 0; k < standards.size(); ++k) s->STD_Data(4 + k, 0) = standards[k];
  const std::pair<double, double> ignored[] = {{5.0, 30.0}, {6.0, 0.0}, {0.0, 0.0}};
  Long i = 0;
  for (const auto& [x, cv] : ignored) {
    ++i;
    s->Sample_Tube_N(i) = 2;
    s->Sample_Conc(i, 1) = x;  // the second tube was not usable
    s->Sample_Data(i, 1) = x, s->Sample_Data(i, 4) = cv;
  }
  s->Sample_Conc(2, 2) = 6.0;
  for (const auto& [x, cv] : points) {
    ++i;
    s->Sample_Tube_N(i) = 2;
    s->Sample_Conc(i, 1) = x * 0.99, s->Sample_Conc(i, 2) = x * 1.01;
    s->Sample_Data(i, 1) = x, s->Sample_Data(i, 4) = cv;
  }
  s->Sample_Number = i;
  return s;
}

// Concentrations 0.5 .. 128, and their CVs on ln CV = ln 10 + sign * 0.3 (u - ln 2)(u - ln 50):
// the profile crosses 10 % exactly at 2 and 50.
std::vector<std::pair<double, double>> on_curve(double sign) {
  std::vector<std::pair<double, double>> points;
  for (int k = 0; k <= 16; ++k) {
    const double x = 0.5 * std::pow(2.0, k / 2.0), u = std::log(x);
    points.emplace_back(x, std::exp(std::log(10.0) + sign * 0.3 * (u - std::log(2.0)) * (u - std::log(50.0))));
  }
  return points;
}

void expect_ranges(const Precision_Profile& profile, const std::vector<std::pair<double, double>>& expected) {
  ASSERT_EQ(profile.working_ranges.size(), expected.size());
  for (std::size_t r = 0; r < expected.size(); ++r) {
    EXPECT_NEAR(profile.working_ranges[r].first, expected[r].first, Close * expected[r].first);
    EXPECT_NEAR(profile.working_ranges[r].second, expected[r].second, Close * expected[r].second);
  }
}

TEST(Precision_Profile, KnownProfileGivesItsCoefficientsAndCrossings) {
  const double u1 = std::log(2.0), u2 = std::log(50.0);
  const struct {
    const char* name;
    double sign;
    std::vector<double> standards;
    double lowest_sample;  // samples below are left out
    std::vector<std::pair<double, double>> ranges;
  } cases[] = {
      {"a valley between the crossings", +1, {0.5, 1, 10, 100}, 0, {{2, 50}}},
      {"held to the lowest standard", +1, {5, 10, 100}, 0, {{5, 50}}},
      {"held to the lowest sample", +1, {0.5, 100}, 3, {{4, 50}}},
      {"a hill: two stretches", -1, {0.5, 100}, 0, {{0.5, 2}, {50, 100}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::pair<double, double>> points;
    for (const auto& point : on_curve(c.sign))
      if (point.first >= c.lowest_sample) points.push_back(point);
    const auto s = assay_with(points, c.standards);
    const Precision_Profile profile = precision_profile(*s, 10);
    EXPECT_EQ(profile.points.size(), points.size());
    ASSERT_TRUE(profile.fitted);
    EXPECT_NEAR(profile.gamma, c.sign * 0.3, Close);
    EXPECT_NEAR(profile.beta, -c.sign * 0.3 * (u1 + u2), Close);
    EXPECT_NEAR(profile.alpha, std::log(10.0) + c.sign * 0.3 * u1 * u2, Close);
    expect_ranges(profile, c.ranges);
  }
  const auto s = assay_with(on_curve(+1), {0.5, 100});
  EXPECT_EQ(profile_summary(precision_profile(*s, 10), "μg/dL"),
            "精度プロファイル: 測定範囲 (CV ≤ 10 %) 2.00 ～ 50.0 μg/dL");
}

// Scattered CVs: the fit is the least-squares solution, here from the normal equations by Cramer's rule.
TEST(Precision_Profile, ScatteredCVsGiveTheLeastSquaresFit) {
  std::vector<std::pair<double, double>> points = on_curve(+1);
  for (std::size_t k = 0; k < points.size(); ++k) points[k].second *= std::exp(0.2 * std::sin(3.0 * k));
  long double m[3][3] = {}, r[3] = {};
  for (const auto& [x, cv] : points) {
    const long double u = std::log(x), p[3] = {1, u, u * u};
    for (int i = 0; i < 3; ++i) {
      r[i] += p[i] * std::log(cv);
      for (int j = 0; j < 3; ++j) m[i][j] += p[i] * p[j];
    }
  }
  auto det = [](const long double a[3][3]) {
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  };
  double solution[3];
  for (int c = 0; c < 3; ++c) {
    long double replaced[3][3];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) replaced[i][j] = j == c ? r[i] : m[i][j];
    solution[c] = static_cast<double>(det(replaced) / det(m));
  }
  const auto s = assay_with(points, {0.5, 100});
  const Precision_Profile profile = precision_profile(*s, 10);
  ASSERT_TRUE(profile.fitted);
  EXPECT_NEAR(profile.alpha, solution[0], 1e-9);
  EXPECT_NEAR(profile.beta, solution[1], 1e-9);
  EXPECT_NEAR(profile.gamma, solution[2], 1e-9);
}

TEST(Precision_Profile, FewerThanFiveReplicatedSamplesGiveNoCurve) {
  std::vector<std::pair<double, double>> points = on_curve(+1);
  points.resize(4);
  const auto s = assay_with(points, {0.5, 100});
  const Precision_Profile profile = precision_profile(*s, 10);
  EXPECT_EQ(profile.points.size(), 4u) << "the samples not replicated do not count";
  EXPECT_FALSE(profile.fitted);
  EXPECT_TRUE(profile.working_ranges.empty());
  EXPECT_EQ(profile_summary(profile, "μg/dL"),
            "精度プロファイル: 繰り返し測定された検体が足りません (4 件; 5 件以上が必要です)");
}

}  // namespace
}  // namespace quorin::qc
