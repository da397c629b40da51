#pragma once
// The last steps of the 4PL and 5PL fits, after GSL's trust-region solver. Near the minimum the
// weighted sum of squares changes by less than its own rounding, so that solver can no longer
// tell a better point from a worse one: on a flat curve, or one far from its points, it stops
// with the parameters still some 1e-6 off, which a sample read beyond the standards magnifies.
// The gradient of the sum, J'W r, stays exact to far smaller changes, and Newton's method on it
// converges fast whatever the size of the residuals (where Gauss-Newton steps may not).

#include <gsl/gsl_multifit_nlinear.h>

namespace quorin {

// A step below this, relative to its parameter (absolute for a parameter below 1), ends the fit.
inline constexpr double Converged_Step = 1e-10;

// Takes Newton steps from the solver's position, the Hessian from central differences of the
// gradient, while each is at most half the one before (as they are near a minimum), until one is
// below Converged_Step; then restarts the workspace at the last point, so that its position,
// residuals and Jacobian are those of the fit. A first step above 1e-2 relative, a Hessian that
// is not positive definite or steps that stop shrinking end the steps where they are; a point
// whose sum of squares is above the solver's is dropped for the solver's. False only when the
// model or the workspace fails.
bool newton_polish(gsl_multifit_nlinear_fdf& fdf, gsl_vector* weights, gsl_multifit_nlinear_workspace* work);

}  // namespace quorin
