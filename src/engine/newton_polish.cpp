#include "engine/newton_polish.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_linalg.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace quorin {

namespace {

constexpr double First_Step_Limit = 1e-2;  // beyond this the solver's point is not near a minimum
constexpr double Difference_Step = 1e-5;   // relative, for the Hessian's central differences
constexpr int Max_Steps = 20;

struct Free {
  void operator()(gsl_vector* v) const { gsl_vector_free(v); }
  void operator()(gsl_matrix* m) const { gsl_matrix_free(m); }
};
using Vector = std::unique_ptr<gsl_vector, Free>;
using Matrix = std::unique_ptr<gsl_matrix, Free>;

// The model's residuals, Jacobian and the gradient J'W r, for one point after another.
class Gradient {
 public:
  Gradient(gsl_multifit_nlinear_fdf& fdf, const gsl_vector* weights)
      : fdf_(fdf), weights_(weights), f_(gsl_vector_alloc(fdf.n)), jacobian_(gsl_matrix_alloc(fdf.n, fdf.p)) {}
  bool allocated() const { return f_ && jacobian_; }
  // False when the model fails.
  bool at(const gsl_vector* theta, gsl_vector* gradient) {
    if (fdf_.f(theta, fdf_.params, f_.get()) != GSL_SUCCESS ||
        fdf_.df(theta, fdf_.params, jacobian_.get()) != GSL_SUCCESS)
      return false;
    gsl_vector_mul(f_.get(), weights_);
    return gsl_blas_dgemv(CblasTrans, 1, jacobian_.get(), f_.get(), 0, gradient) == GSL_SUCCESS;
  }

 private:
  gsl_multifit_nlinear_fdf& fdf_;
  const gsl_vector* weights_;
  Vector f_;
  Matrix jacobian_;
};

double scale_of(double parameter) { return std::max(1.0, std::fabs(parameter)); }

// The largest step relative to its parameter, absolute for a parameter below 1.
double relative_size(const gsl_vector* step, const gsl_vector* theta) {
  double size = 0;
  for (std::size_t i = 0; i < step->size; ++i)
    size = std::max(size, std::fabs(gsl_vector_get(step, i)) / scale_of(gsl_vector_get(theta, i)));
  return size;
}

}  // namespace

bool newton_polish(gsl_multifit_nlinear_fdf& fdf, gsl_vector* weights, gsl_multifit_nlinear_workspace* work) {
  const std::size_t p = fdf.p;
  Gradient gradient(fdf, weights);
  const Vector solver_point(gsl_vector_alloc(p)), theta(gsl_vector_alloc(p)), shifted(gsl_vector_alloc(p)),
      g(gsl_vector_alloc(p)), up(gsl_vector_alloc(p)), down(gsl_vector_alloc(p)), step(gsl_vector_alloc(p));
  const Matrix hessian(gsl_matrix_alloc(p, p));
  if (!gradient.allocated() || !solver_point || !theta || !shifted || !g || !up || !down || !step || !hessian)
    return false;

  gsl_vector_memcpy(solver_point.get(), gsl_multifit_nlinear_position(work));
  gsl_vector_memcpy(theta.get(), solver_point.get());
  const double solver_norm = gsl_blas_dnrm2(gsl_multifit_nlinear_residual(work));
  double previous = 2 * First_Step_Limit;
  for (int k = 0; k < Max_Steps; ++k) {
    if (!gradient.at(theta.get(), g.get())) return false;
    for (std::size_t j = 0; j < p; ++j) {
      const double h = Difference_Step * scale_of(gsl_vector_get(theta.get(), j));
      gsl_vector_memcpy(shifted.get(), theta.get());
      gsl_vector_set(shifted.get(), j, gsl_vector_get(theta.get(), j) + h);
      if (!gradient.at(shifted.get(), up.get())) return false;
      gsl_vector_set(shifted.get(), j, gsl_vector_get(theta.get(), j) - h);
      if (!gradient.at(shifted.get(), down.get())) return false;
      for (std::size_t i = 0; i < p; ++i)
        gsl_matrix_set(hessian.get(), i, j, (gsl_vector_get(up.get(), i) - gsl_vector_get(down.get(), i)) / (2 * h));
    }
    for (std::size_t i = 0; i < p; ++i)  // the differences' own asymmetry is noise
      for (std::size_t j = 0; j < i; ++j) {
        const double mean = (gsl_matrix_get(hessian.get(), i, j) + gsl_matrix_get(hessian.get(), j, i)) / 2;
        gsl_matrix_set(hessian.get(), i, j, mean);
        gsl_matrix_set(hessian.get(), j, i, mean);
      }
    if (gsl_linalg_cholesky_decomp1(hessian.get()) != GSL_SUCCESS ||
        gsl_linalg_cholesky_solve(hessian.get(), g.get(), step.get()) != GSL_SUCCESS)
      break;
    const double size = relative_size(step.get(), theta.get());
    if (!(size <= previous / 2)) break;
    gsl_vector_sub(theta.get(), step.get());
    if (size <= Converged_Step) break;
    previous = size;
  }
  if (gsl_multifit_nlinear_winit(theta.get(), weights, &fdf, work) != GSL_SUCCESS) return false;
  // Newton's method finds where the gradient vanishes: a sum above the solver's is no minimum.
  if (gsl_blas_dnrm2(gsl_multifit_nlinear_residual(work)) <= solver_norm * (1 + 1e-12)) return true;
  return gsl_multifit_nlinear_winit(solver_point.get(), weights, &fdf, work) == GSL_SUCCESS;
}

}  // namespace quorin
