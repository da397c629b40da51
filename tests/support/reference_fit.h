#pragma once
// A weighted least-squares solve written independently of the program: Givens rotations of the
// rows sqrt(w)·(1, x, x², x³ | y) in long double, then back substitution. The curve's fits are
// checked against it.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "state/assay_state.h"

namespace quorin::testing {

struct Weighted_Point {
  double x, y, w;
};
using Polynomial = std::array<long double, 4>;  // c0..c3

// The polynomial of `degree` (1 or 3) of least weighted sum of squares; nothing when the points
// cannot determine it.
std::optional<Polynomial> reference_fit(const std::vector<Weighted_Point>& points, int degree);

long double weighted_ss(const std::vector<Weighted_Point>& points, const Polynomial& c);

// The standards Fit_From..Fit_To as points (ln concentration, logit) under each of the four
// weightings, the weights worked out here: 1; the distance factor (tubes − 1) / Σ(y_j − cubic)² /
// 100 about the unweighted cubic in Reg_Coef(0, 1..4), 0 for a single tube; the logit correction
// (P (100 − P))² / 1e8; and their product. Points of weight 0 are left out.
std::array<std::vector<Weighted_Point>, 4> reference_points(const Assay_State& s);

// What is wrong with the fits the program calls available, "" when nothing: each must reach the
// least weighted sum of squares of the independent solve (it may beat it, being more accurate,
// but not lose by more than 1e-8 of the sums), and none may be available where the points cannot
// determine it.
std::string least_squares_shortfall(const Assay_State& s);

}  // namespace quorin::testing
