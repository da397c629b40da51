// The 4PL and 5PL fits checked against what a least-squares minimum is, worked out here from the
// models' definitions: curves made from known parameters come back, at a fit of scattered data
// the gradient of the weighted sum of squares vanishes (the standard errors are recorded in
// golden/fits.txt), and reading a response off a curve inverts it. Data that cannot give a curve
// gives none.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/logistic_fit.h"

namespace quorin {
namespace {

using Parameters = std::array<double, 5>;  // A, B, C, D, G

// f(x) straight from the definition; the 4PL is the 5PL with G = 1.
double f(const Parameters& q, double x) {
  if (x == 0) return q[0];
  return q[3] + (q[0] - q[3]) / std::pow(1 + std::pow(x / q[2], q[1]), q[4]);
}

double weighted_ss(const std::vector<Model_Point>& points, const Parameters& q) {
  double sum = 0;
  for (const Model_Point& p : points) sum += p.w * std::pow(p.p - f(q, p.x), 2);
  return sum;
}

// Standards in triplicate with the zero standard; the weights of the program's three weightings
// (the counting-statistics weight taken as 1 / (100 + response), a count-like scale).
std::vector<Model_Point> points_of(const Parameters& q, int weighting, double scatter) {
  std::vector<Model_Point> points;
  int i = 0;
  for (double x : {0.0, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 40.0, 60.0}) {
    const double mean = f(q, x);
    const double w = weighting == 0 ? 1 : weighting == 1 ? 1 / (100 + mean) : 1 / (mean * mean);
    for (int tube = 0; tube < 3; ++tube) points.push_back({x, mean + scatter * std::sin(12.9898 * ++i), w});
  }
  return points;
}

const Parameters Four_Truth = {99, 1.05, 7, 1.5, 1};
const Parameters Five_Truth = {100.5, 0.9, 9, -1, 1.3};

TEST(Logistic_Fit, FitsAreTheMinimumOfTheWeightedSumOfSquares) {
  for (int kind : {Four_PL, Five_PL}) {
    for (int weighting = 0; weighting < 3; ++weighting) {
      SCOPED_TRACE(std::to_string(kind) + " weighting " + std::to_string(weighting));
      const Parameters& truth = kind == Four_PL ? Four_Truth : Five_Truth;
      const Logistic_Fit exact = fit_logistic(points_of(truth, weighting, 0), {kind, 100, 1.4, 3, 0, 1});
      ASSERT_TRUE(exact.available) << exact.problem;
      for (int i = 0; i < exact.curve.parameters(); ++i)
        EXPECT_NEAR(exact.curve.values()[i], truth[i], 1e-9 * std::max(1.0, std::fabs(truth[i]))) << i;

      const std::vector<Model_Point> points = points_of(Five_Truth, weighting, 1.5);
      const Logistic_Fit fit = fit_logistic(points, {kind, 100, 1, 5, 0, 1});
      ASSERT_TRUE(fit.available) << fit.problem;
      const Parameters q = fit.curve.values();
      const int k = fit.curve.parameters();
      const double ss = weighted_ss(points, q);
      EXPECT_NEAR(fit.rss, ss, 1e-12 * ss);
      EXPECT_NEAR(fit.s, std::sqrt(ss / (fit.n - k)), 1e-12);
      EXPECT_NEAR(fit.aic, fit.n * std::log(ss / fit.n) + 2 * k, 1e-9);
      EXPECT_NEAR(f(q, fit.curve.ed50()), (q[0] + q[3]) / 2, 1e-9);
      // Central differences: the gradient of the sum of squares vanishes at the fit.
      for (int i = 0; i < k; ++i) {
        const double h = 1e-6 * std::max(1.0, std::fabs(q[i]));
        Parameters up = q, down = q;
        up[i] += h;
        down[i] -= h;
        const double gradient = (weighted_ss(points, up) - weighted_ss(points, down)) / (2 * h);
        EXPECT_LT(std::fabs(gradient) * std::max(1.0, std::fabs(q[i])) / ss, 1e-6) << "parameter " << i;
      }
      // Reading off inverts the curve between its bottom and top, and only there.
      const Logistic& c = exact.curve;
      for (double p = c.D + 0.01; p < c.A; p += 0.5) EXPECT_NEAR(f(c.values(), c.concentration(p).value()), p, 1e-9);
      for (double p : {c.A, c.D, c.A + 1, c.D - 1}) EXPECT_FALSE(c.concentration(p).has_value()) << p;
    }
  }
}

TEST(Logistic_Fit, DataThatCannotGiveACurveGiveNone) {
  // The first 3 n points hold n concentrations, the zero standard's included (too few kinds of
  // concentration are refused on the model screen).
  std::vector<Model_Point> all = points_of(Four_Truth, 0, 0.2), falling_straight, rising;
  for (const Model_Point& p : points_of(Four_Truth, 0, 0.01)) {
    falling_straight.push_back({p.x, 100 - p.x + p.p - f(Four_Truth, p.x), 1});  // never levels off
    rising.push_back({p.x, 100 - p.p, 1});
  }
  const struct {
    std::vector<Model_Point> points;
    int kind;
    std::string problem;
  } cases[] = {
      {{all.begin(), all.begin() + 4}, Four_PL, "4PL：点が 4 個しかありません（5 個以上が必要です）"},
      {falling_straight, Four_PL, "4PL：当てはめが収束しませんでした"},
      {rising, Four_PL, "4PL：濃度とともに下がる曲線になりません"},
  };
  for (const auto& c : cases) {
    const Logistic_Fit fit = fit_logistic(c.points, {c.kind, 100, 1, 5, 0, 1});
    EXPECT_FALSE(fit.available) << c.problem;
    EXPECT_EQ(fit.problem, c.problem);
  }
}

}  // namespace
}  // namespace quorin
