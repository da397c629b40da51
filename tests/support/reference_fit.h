#pragma once
// The curve's fits checked against a weighted least-squares solve written independently of the
// program: Givens rotations of the rows sqrt(w)·(1, x, x², x³ | y) in long double, then back
// substitution. The standards Fit_From..Fit_To are the points (ln concentration, logit) under
// each of the four weightings, the weights worked out here: 1; the distance factor (tubes − 1) /
// Σ(y_j − cubic)² / 100 about the unweighted cubic in Reg_Coef(0, 1..4), 0 for a single tube;
// the logit correction (P (100 − P))² / 1e8; and their product. Points of weight 0 are left out.

#include <string>
#include <vector>

#include "engine/assay_state.h"
#include "engine/logistic_fit.h"

namespace quorin::testing {

// What is wrong with the fits the program calls available, "" when nothing: each must reach the
// least weighted sum of squares of the independent solve (it may beat it, being more accurate,
// but not lose by more than 1e-8 of the sums), and none may be available where the points cannot
// determine it.
std::string least_squares_shortfall(const Assay_State& s);

// What is wrong with a 4PL or 5PL fit the program calls available, "" when nothing. A second
// solve, written here from the model's definition in the parameters A, B, C, D, G themselves,
// takes the program's parameters to where the gradient of the weighted sum of squares vanishes
// (Newton steps in long double). The concentrations read off the program's curve at the responses
// of a tenth of the lowest standard, the lowest, their geometric mean, the highest and ten times
// the highest must agree with those of that curve to `relative`, where the response lies from
// 0.1 % to 99.9 % of the way from D to A. A fit with a standard error above its parameter, or
// where the Newton steps do not converge, is one its points do not determine: nothing is checked.
std::string model_fit_shortfall(const std::vector<Model_Point>& points, const Logistic_Fit& fit, double relative);

}  // namespace quorin::testing
