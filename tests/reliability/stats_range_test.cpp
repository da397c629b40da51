// The mean, spread and CV of a group of concentrations at the ends of the double range: the
// curve reads concentrations up to e^700, whose squares are beyond any double, and down to
// values whose squares vanish. The CV does not depend on the scale, so each group gives the CV
// of the same group at an ordinary scale.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "curve/response.h"

namespace quorin {
namespace {

Running_Stats stats_of(const std::vector<double>& values, int binary_scale) {
  Running_Stats stats;
  for (const double value : values) stats.add(std::ldexp(value, binary_scale));
  return stats;
}

TEST(Running_Stats_Range, MeanSpreadAndCvHoldAtEveryScale) {
  const std::vector<std::vector<double>> groups = {{1.0, 1.5}, {3.0, 0.0, 5.0}, {0.75, 0.5, 0.625, 0.875}, {2.0, 2.0}};
  for (const std::vector<double>& group : groups) {
    const Running_Stats plain = stats_of(group, 0);
    // 2^1000 puts the largest near e^700; 2^-1000 near the smallest normal doubles.
    for (const int scale : {1000, 500, -500, -1000}) {
      const Running_Stats scaled = stats_of(group, scale);
      EXPECT_EQ(scaled.cv(), plain.cv()) << "scale 2^" << scale << ", first value " << group[0];
      EXPECT_EQ(scaled.mean(), std::ldexp(plain.mean(), scale)) << "scale 2^" << scale;
      EXPECT_EQ(scaled.spread(), std::ldexp(plain.spread(), scale)) << "scale 2^" << scale;
    }
  }
}

TEST(Running_Stats_Range, ConcentrationsNearTheLimitOfTheCurveGiveAFiniteCv) {
  const Running_Stats stats = stats_of({std::exp(700.0), std::exp(699.0)}, 0);
  ASSERT_TRUE(std::isfinite(stats.cv()));
  // Two values a and b: SD = |a − b| / √2, so CV = 100 √2 (e − 1) / (e + 1).
  const double e = std::exp(1.0);
  EXPECT_NEAR(stats.cv(), 100 * std::sqrt(2.0) * (e - 1) / (e + 1), 1e-9);
}

}  // namespace
}  // namespace quorin
