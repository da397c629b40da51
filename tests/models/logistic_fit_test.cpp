// Data that cannot give a 4PL curve gives none, with the reason, and nothing is read off at or
// beyond a curve's asymptotes. That a fit the program calls available is the least-squares
// minimum of its standards is checked on random assays, and its parameters, standard errors, s
// and AIC under every weighting are recorded by the model results.

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "engine/logistic_fit.h"

namespace quorin {
namespace {

// A 4PL with A = 99, B = 1.05, C = 7 and D = 1.5, straight from its definition.
double f(double x) { return 1.5 + 97.5 / (1 + std::pow(x / 7, 1.05)); }

TEST(Logistic_Fit, DataThatCannotGiveACurveGiveNone) {
  // Standards in triplicate, the zero standard's included: the first 3 n points hold n
  // concentrations (too few kinds of concentration are refused on the model screen).
  std::vector<Model_Point> all, falling_straight, rising;
  int i = 0;
  for (double x : {0.0, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 40.0, 60.0}) {
    for (int tube = 0; tube < 3; ++tube) {
      const double scatter = std::sin(12.9898 * ++i), p = x == 0 ? 99 : f(x);
      all.push_back({x, p + 0.2 * scatter, 1});
      falling_straight.push_back({x, 100 - x + 0.01 * scatter, 1});  // never levels off
      rising.push_back({x, 100 - p - 0.01 * scatter, 1});
    }
  }
  const std::pair<std::vector<Model_Point>, std::string> cases[] = {
      {{all.begin(), all.begin() + 4}, "4PL：点が 4 個しかありません（5 個以上が必要です）"},
      {falling_straight, "4PL：当てはめが収束しませんでした"},
      {rising, "4PL：濃度とともに下がる曲線になりません"},
  };
  for (const auto& [points, problem] : cases) {
    const Logistic_Fit fit = fit_logistic(points, {Four_PL, 100, 1, 5, 0, 1});
    EXPECT_FALSE(fit.available) << problem;
    EXPECT_EQ(fit.problem, problem);
  }
}

// Duplicates scattered evenly about a 4PL (A = 100, B = 1, C = 4, D = 0), started at its
// parameters as the logit-log start values are when the standards lie on a logistic: the solver
// finds no better point, which is the fit, not a failure to converge.
TEST(Logistic_Fit, AStartAtTheMinimumIsTheFit) {
  std::vector<Model_Point> points;
  for (const auto& [x, p, scatter] : {std::tuple{0.0, 100.0, 0.8}, {1.0, 80.0, 0.1}, {4.0, 50.0, 0.4},
                                      {16.0, 20.0, 0.1}, {36.0, 10.0, 0.1}})
    for (double sign : {-1, 1}) points.push_back({x, p + sign * scatter, 1});
  const Logistic_Fit fit = fit_logistic(points, {Four_PL, 100, 1, 4, 0, 1});
  ASSERT_TRUE(fit.available) << fit.problem;
  EXPECT_NEAR(fit.curve.C, 4, 1e-9);
  EXPECT_NEAR(fit.curve.B, 1, 1e-9);
}

TEST(Logistic_Fit, NothingIsReadOffAtOrBeyondTheAsymptotes) {
  for (const Logistic c : {Logistic{Four_PL, 99, 1.05, 7, 1.5, 1}, Logistic{Five_PL, 99, 1.05, 7, 1.5, 1.3}})
    for (double p : {c.A, c.D, c.A + 1, c.D - 1}) EXPECT_FALSE(c.concentration(p).has_value()) << c.kind << " " << p;
}

}  // namespace
}  // namespace quorin
