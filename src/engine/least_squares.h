#pragma once
// An accurate weighted least-squares polynomial, used to check (and where needed replace) the
// closed-form elimination of Fit_Weighted, which loses its pivots when the odd moments of the
// log-concentrations vanish (standards placed symmetrically about concentration 1).

#include <array>
#include <optional>
#include <span>

namespace quorin {

// Coefficients c0..c_degree (the rest 0) minimising sum w_i (y_i - sum_k c_k x_i^k)^2 over the
// points with w_i > 0, for degree 1 to 3. Householder QR of the design matrix scaled by sqrt(w)
// in long double; nullopt when that matrix has not full column rank.
std::optional<std::array<double, 4>> weighted_polynomial_fit(std::span<const double> x, std::span<const double> y,
                                                             std::span<const double> w, int degree);

// (X'WX)^-1 of the same problem, X the rows (1, x_i, .., x_i^degree): row-major, (degree + 1)^2
// entries (the rest 0). From the same QR as R^-1 R^-T, which keeps the digits that forming X'WX
// would lose; nullopt where the fit is.
std::optional<std::array<double, 16>> weighted_polynomial_inverse(std::span<const double> x, std::span<const double> w,
                                                                  int degree);

}  // namespace quorin
