// The precision profile against an independent least-squares solve of ln CV = a + b ln x +
// c (ln x)^2 (its normal equations by Cramer's rule). On CVs laid exactly on a chosen curve the
// working range lies between the curve's known crossings of the limit, held to the standards and
// samples; samples that are not replicated do not count.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "engine/precision_profile.h"
#include "qc/profile_plot.h"
#include "ui/recording_printer.h"

namespace quorin::qc {
namespace {

using Points = std::vector<std::pair<double, double>>;  // (mean concentration, CV) of a sample

// Samples of two usable tubes with these points, and these standards, after samples that must not
// count: one usable tube only, a CV of 0, no concentration.
std::unique_ptr<Assay_State> assay_with(const Points& points, const std::vector<double>& standards) {
  auto s = std::make_unique<Assay_State>();
  s->STD_Number = static_cast<Integer>(standards.size());
  for (std::size_t k = 0; k < standards.size(); ++k) s->STD_Data(4 + k, STD_Column::Concentration) = standards[k];
  Points all = {{5.0, 30.0}, {6.0, 0.0}, {0.0, 0.0}};
  all.insert(all.end(), points.begin(), points.end());
  for (Long i = 1; i <= static_cast<Long>(all.size()); ++i) {
    const auto [x, cv] = all[i - 1];
    s->Sample_Tube_N(i) = 2;
    s->Sample_Conc(i, 1) = x * 0.99, s->Sample_Conc(i, 2) = i == 1 ? 0.0 : x * 1.01;
    s->Sample_Data(i, Sample_Column::Mean) = x, s->Sample_Data(i, Sample_Column::Conc_CV) = cv;
  }
  s->Sample_Number = static_cast<Long>(all.size());
  return s;
}

// Concentrations 0.5 .. 128 from `lowest` on, their CVs on ln CV = ln 10 + sign * 0.3 (u - ln 2)
// (u - ln 50), which crosses 10 % exactly at 2 and 50, or scattered around it.
Points on_curve(double sign, double lowest = 0, bool scattered = false) {
  Points points;
  for (int k = 0; k <= 16; ++k) {
    const double x = 0.5 * std::pow(2.0, k / 2.0), u = std::log(x);
    const double ln_cv = std::log(10.0) + sign * 0.3 * (u - std::log(2.0)) * (u - std::log(50.0));
    if (x >= lowest) points.emplace_back(x, std::exp(ln_cv + (scattered ? 0.2 * std::sin(3.0 * k) : 0.0)));
  }
  return points;
}

std::array<double, 3> least_squares(const Points& points) {
  long double m[3][3] = {}, r[3] = {};
  for (const auto& [x, cv] : points) {
    const long double u = std::log(x), p[3] = {1, u, u * u};
    for (int i = 0; i < 3; ++i) {
      r[i] += p[i] * std::log(cv);
      for (int j = 0; j < 3; ++j) m[i][j] += p[i] * p[j];
    }
  }
  const auto det = [&](int c) {  // of m with its column c replaced by r (c = 3: none)
    const auto a = [&](int i, int j) { return j == c ? r[i] : m[i][j]; };
    return a(0, 0) * (a(1, 1) * a(2, 2) - a(1, 2) * a(2, 1)) - a(0, 1) * (a(1, 0) * a(2, 2) - a(1, 2) * a(2, 0)) +
           a(0, 2) * (a(1, 0) * a(2, 1) - a(1, 1) * a(2, 0));
  };
  return {static_cast<double>(det(0) / det(3)), static_cast<double>(det(1) / det(3)),
          static_cast<double>(det(2) / det(3))};
}

TEST(Precision_Profile, FitsByLeastSquaresAndFindsTheWorkingRange) {
  const struct {
    const char* name;
    double sign;
    std::vector<double> standards;
    double lowest_sample;
    bool scattered;
    std::string ranges;
  } cases[] = {
      {"a valley between the crossings", +1, {0.5, 1, 10, 100}, 0, false, "2.00 ～ 50.0"},
      {"held to the lowest standard", +1, {5, 10, 100}, 0, false, "5.00 ～ 50.0"},
      {"held to the lowest sample", +1, {0.5, 100}, 3, false, "4.00 ～ 50.0"},
      {"a hill: two stretches", -1, {0.5, 100}, 0, false, "0.500 ～ 2.00, 50.0 ～ 100"},
      {"scattered", +1, {0.5, 100}, 0, true, "2.01 ～ 50.8"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Points points = on_curve(c.sign, c.lowest_sample, c.scattered);
    const Precision_Profile profile = precision_profile(*assay_with(points, c.standards), 10);
    EXPECT_EQ(profile.points.size(), points.size());
    const std::array<double, 3> fit = least_squares(points);
    EXPECT_NEAR(profile.alpha, fit[0], 1e-9);
    EXPECT_NEAR(profile.beta, fit[1], 1e-9);
    EXPECT_NEAR(profile.gamma, fit[2], 1e-9);
    EXPECT_EQ(profile_summary(profile, "μg/dL"), "精度プロファイル: 測定範囲 (CV ≤ 10 %) " + c.ranges + " μg/dL");
  }
  Points first_four = on_curve(+1);
  first_four.resize(4);
  EXPECT_EQ(profile_summary(precision_profile(*assay_with(first_four, {0.5, 100}), 10), "μg/dL"),
            "精度プロファイル: 繰り返し測定された検体が足りません (4 件; 5 件以上が必要です)");
}

// The printed profile: a few samples as circles, many as shaded cells; the limit a solid red line
// and the fitted curve drawn over the samples, across their concentrations only.
TEST(Profile_Page, ShadesManySamplesAndDrawsLimitAndCurveOverThem) {
  for (const int samples : {17, 3000}) {
    SCOPED_TRACE(samples);
    Points points;
    for (int k = 0; k < samples; ++k) {
      const double x = 2 * std::pow(20.0, static_cast<double>(k) / (samples - 1)), u = std::log(x);
      points.emplace_back(
          x, std::exp(std::log(10.0) + 0.3 * (u - std::log(4.0)) * (u - std::log(30.0)) + 0.1 * std::sin(7.0 * k)));
    }
    const auto assay = assay_with(points, {0.5, 1, 10, 100});
    const Precision_Profile profile = precision_profile(*assay, 10);
    ui::Recording_Printer printer;
    Profile_PRT(*assay, profile, printer);
    const std::vector<std::string>& ops = printer.ops();
    const auto red = std::find(ops.begin(), ops.end(), "colour 255,0,0");
    ASSERT_NE(red, ops.end());
    EXPECT_TRUE(red + 1 != ops.end() && red[1].starts_with("line "));
    const auto style = std::find_if(std::make_reverse_iterator(red), ops.rend(),
                                    [](const std::string& op) { return op.starts_with("style "); });
    EXPECT_TRUE(style == ops.rend() || *style == "style 0") << "the limit is solid";
    const auto circles =
        std::count_if(ops.begin(), ops.end(), [](const std::string& op) { return op.starts_with("circle"); });
    const auto greys = std::count_if(
        ops.begin(), red, [](const std::string& op) { return op.starts_with("colour ") && op != "colour 0,0,0"; });
    EXPECT_EQ(circles, samples > 2000 ? 0 : samples);
    EXPECT_EQ(greys > 0, samples > 2000);
    EXPECT_TRUE(std::none_of(red, ops.end(), [](const std::string& op) { return op.starts_with("circle"); }))
        << "the samples lie under the limit and the curve";
    const auto curve = profile_curve(profile, profile_axes(profile));
    ASSERT_FALSE(curve.empty());
    EXPECT_NEAR(curve.front().first.first, std::log10(2.0), 0.05);
    EXPECT_NEAR(curve.back().second.first, std::log10(40.0), 0.05);
  }
}

}  // namespace
}  // namespace quorin::qc
