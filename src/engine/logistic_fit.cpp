#include "engine/logistic_fit.h"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_multifit_nlinear.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <set>

#include "engine/least_squares.h"
#include "engine/newton_polish.h"
#include "text/format.h"

namespace quorin {

namespace {

// A step below this, relative to the parameter, ends the solver's iterations; Newton steps then
// take the parameters the rest of the way (engine/newton_polish.h).
constexpr double Step_Tolerance = 1e-13;
// The gradient test of the solver, scaled by the parameters and the cost; as tight as the step.
constexpr double Gradient_Tolerance = 1e-13;
constexpr std::size_t Max_Iterations = 1000;
// The gradient test of a point the solver could not leave: rounding keeps the gradient of an
// exact fit some 1e-13 from zero, below which no step is an improvement.
constexpr double Stuck_Gradient_Tolerance = 1e-10;

// The solver also stops without success when no step improves on its point, as when it starts at
// the minimum (standards that lie on a logistic curve give start values that are its parameters).
// Such a point is a fit when its gradient vanishes to rounding; Newton steps then finish it.
bool at_minimum(gsl_multifit_nlinear_workspace* work) {
  int info = 0;
  return gsl_multifit_nlinear_test(0, Stuck_Gradient_Tolerance, 0, &info, work) == GSL_SUCCESS && info == 2;
}

std::string number_text(long long value) { return text::bare_text(value); }

// The parameters as the solver sees them: A, B, ln C, D and, for the 5PL, ln G.
struct Problem {
  const std::vector<Model_Point>& points;
  int kind;
};

Logistic curve_of(const gsl_vector* theta, int kind) {
  Logistic curve;
  curve.kind = kind;
  curve.A = gsl_vector_get(theta, 0);
  curve.B = gsl_vector_get(theta, 1);
  curve.C = std::exp(gsl_vector_get(theta, 2));
  curve.D = gsl_vector_get(theta, 3);
  curve.G = kind == Five_PL ? std::exp(gsl_vector_get(theta, 4)) : 1;
  return curve;
}

int residuals(const gsl_vector* theta, void* data, gsl_vector* f) {
  const auto& problem = *static_cast<const Problem*>(data);
  const Logistic curve = curve_of(theta, problem.kind);
  for (std::size_t i = 0; i < problem.points.size(); ++i)
    gsl_vector_set(f, i, curve.gradient(problem.points[i].x).f - problem.points[i].p);
  return GSL_SUCCESS;
}

int jacobian(const gsl_vector* theta, void* data, gsl_matrix* J) {
  const auto& problem = *static_cast<const Problem*>(data);
  const Logistic curve = curve_of(theta, problem.kind);
  for (std::size_t i = 0; i < problem.points.size(); ++i) {
    const Logistic_Gradient e = curve.gradient(problem.points[i].x);
    for (std::size_t k = 0; k < J->size2; ++k) gsl_matrix_set(J, i, k, e.d[k]);
  }
  return GSL_SUCCESS;
}

struct Workspace_Free {
  void operator()(gsl_multifit_nlinear_workspace* w) const { gsl_multifit_nlinear_free(w); }
};
struct Matrix_Free {
  void operator()(gsl_matrix* m) const { gsl_matrix_free(m); }
};

// GSL aborts the program on an error unless told not to; its errors come back as values here.
void quiet_gsl() {
  static std::once_flag once;
  std::call_once(once, [] { gsl_set_error_handler_off(); });
}

Logistic_Fit unavailable(const Logistic& start, const std::string& reason) {
  Logistic_Fit fit;
  fit.curve = start;
  fit.problem = model_name(start.kind) + "：" + reason;
  return fit;
}

// Why `points` cannot determine `parameters` parameters, "" when they can.
std::string point_problem(const std::vector<Model_Point>& points, int parameters) {
  const auto n = static_cast<long long>(points.size());
  if (n < parameters + 1)
    return "点が " + number_text(n) + " 個しかありません（" + number_text(parameters + 1) + " 個以上が必要です）";
  std::set<double> concentrations;
  for (const Model_Point& point : points) concentrations.insert(point.x);
  if (static_cast<int>(concentrations.size()) < parameters)
    return "濃度が " + number_text(static_cast<long long>(concentrations.size())) +
           " 種類しかありません（ゼロ標準を含めて " + number_text(parameters) + " 種類以上が必要です）";
  return "";
}

}  // namespace

Logistic_Fit fit_logistic(const std::vector<Model_Point>& points, const Logistic& start) {
  const int k = start.parameters();
  const auto n = static_cast<int>(points.size());
  if (const std::string problem = point_problem(points, k); !problem.empty()) return unavailable(start, problem);
  const auto start_values = start.values();
  if (!std::all_of(start_values.begin(), start_values.end(), [](double v) { return std::isfinite(v); }) ||
      !(start.C > 0) || !(start.G > 0))
    return unavailable(start, "当てはめの開始値が決まりません");

  quiet_gsl();
  Problem problem{points, start.kind};
  gsl_multifit_nlinear_fdf fdf{};
  fdf.f = residuals;
  fdf.df = jacobian;
  fdf.fvv = nullptr;
  fdf.n = points.size();
  fdf.p = static_cast<std::size_t>(k);
  fdf.params = &problem;
  const gsl_multifit_nlinear_parameters parameters = gsl_multifit_nlinear_default_parameters();
  const std::unique_ptr<gsl_multifit_nlinear_workspace, Workspace_Free> work(
      gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &parameters, fdf.n, fdf.p));
  const std::unique_ptr<gsl_matrix, Matrix_Free> covariance(gsl_matrix_alloc(fdf.p, fdf.p));
  if (!work || !covariance) return unavailable(start, "計算に必要なメモリがありません");

  double theta[5] = {start.A, start.B, std::log(start.C), start.D, std::log(start.G)};
  std::vector<double> weights;
  for (const Model_Point& point : points) weights.push_back(point.w);
  gsl_vector_view theta_view = gsl_vector_view_array(theta, fdf.p);
  gsl_vector_view weight_view = gsl_vector_view_array(weights.data(), weights.size());
  int info = 0;
  if (gsl_multifit_nlinear_winit(&theta_view.vector, &weight_view.vector, &fdf, work.get()) != GSL_SUCCESS)
    return unavailable(start, "当てはめが収束しませんでした");
  if (gsl_multifit_nlinear_driver(Max_Iterations, Step_Tolerance, Gradient_Tolerance, 0, nullptr, nullptr, &info,
                                  work.get()) != GSL_SUCCESS &&
      !at_minimum(work.get()))
    return unavailable(start, "当てはめが収束しませんでした");
  if (!newton_polish(fdf, &weight_view.vector, work.get())) return unavailable(start, "当てはめが収束しませんでした");

  const gsl_vector* solution = gsl_multifit_nlinear_position(work.get());
  Logistic_Fit fit;
  fit.curve = curve_of(solution, start.kind);
  fit.n = n;
  const gsl_vector* residual = gsl_multifit_nlinear_residual(work.get());  // sqrt(w) (f - p)
  for (std::size_t i = 0; i < residual->size; ++i) fit.rss += std::pow(gsl_vector_get(residual, i), 2);
  fit.s = std::sqrt(fit.rss / (n - k));
  fit.aic = fit.rss > 0 ? n * std::log(fit.rss / n) + 2 * k : -std::numeric_limits<double>::infinity();

  gsl_multifit_nlinear_covar(gsl_multifit_nlinear_jac(work.get()), 0.0, covariance.get());
  fit.uncertainty.variance = fit.s * fit.s;
  fit.uncertainty.degrees_of_freedom = n - k;
  for (int i = 0; i < k; ++i)
    for (int j = 0; j < k; ++j)
      fit.uncertainty.covariance[static_cast<std::size_t>(5 * i + j)] =
          fit.uncertainty.variance * gsl_matrix_get(covariance.get(), i, j);
  // The solver's parameters are ln C and ln G: their errors scale by C and G.
  const double scale[5] = {1, 1, fit.curve.C, 1, fit.curve.G};
  bool determined = true;
  for (int i = 0; i < k; ++i) {
    const double variance = gsl_matrix_get(covariance.get(), i, i);
    determined = determined && variance > 0 && std::isfinite(variance);
    fit.error[i] = fit.s * std::sqrt(variance) * scale[i];
  }
  const auto values = fit.curve.values();
  if (!std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); }) ||
      !std::isfinite(fit.rss) || !(fit.curve.C > 0) || !(fit.curve.G > 0))
    return unavailable(start, "当てはめの結果が数値になりません");
  if (!determined) return unavailable(start, "パラメータが定まりません");
  // A competitive assay's response falls from A at the zero standard to D: B > 0 and A > D.
  if (!(fit.curve.B > 0 && fit.curve.A > fit.curve.D)) return unavailable(start, "濃度とともに下がる曲線になりません");
  fit.available = true;
  return fit;
}

Model_Points model_points(const Assay_State& s, int weighting) {
  Model_Points result;
  const int standards = s.STD_Number;
  if (standards < 1 || standards > Max_Standards || s.Fit_From < 1 || s.Fit_To > standards || s.Fit_From > s.Fit_To) {
    result.problem = "回帰の範囲 STD " + number_text(s.Fit_From) + " ～ STD " + number_text(s.Fit_To) +
                     " が正しくないため、4PL・5PL を計算できません";
    return result;
  }
  const double nsb = s.STD_Data(STD_Row::NSB, STD_Column::Mean_Count);
  const double b0 = s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count);
  if (!(b0 > nsb)) {
    result.problem = "ゼロ標準の平均カウントが NSB の平均カウント以下のため、4PL・5PL を計算できません";
    return result;
  }
  auto response = [nsb, b0](double count) { return 100 * (count - nsb) / (b0 - nsb); };
  std::vector<int> rows = {3};
  for (int i = s.Fit_From; i <= s.Fit_To; ++i) rows.push_back(3 + i);
  for (int row : rows) {
    const std::string name = row == 3 ? "ゼロ標準" : "スタンダード " + number_text(row - 3);
    const double x = row == 3 ? 0 : s.STD_Data(row, STD_Column::Concentration);
    if (row > 3 && !(x > 0 && std::isfinite(x))) {
      result.problem = name + " の濃度が 0 以下のため、4PL・5PL を計算できません";
      break;
    }
    const int tubes = std::clamp<int>(s.STD_Tube_N(row), 0, Max_Tubes);
    if (tubes == 0) continue;
    const double mean_count = s.STD_Data(row, STD_Column::Mean_Count);
    const double mean_response = response(mean_count);
    double w = 1;
    if (weighting == 1 && !(mean_count > 0))
      result.problem = name + " の平均カウントが 0 以下のため、重み付け「計数統計」を使えません";
    else if (weighting == 2 && !(mean_response > 0))
      result.problem = name + " の平均レスポンスが 0 以下のため、重み付け「CV一定」を使えません";
    else if (weighting == 1) w = 1 / mean_count;
    else if (weighting == 2) w = 1 / (mean_response * mean_response);
    if (!result.problem.empty()) break;
    for (int j = 1; j <= tubes; ++j) result.points.push_back({x, response(s.STD_Count(row, j)), w});
  }
  if (!result.problem.empty()) result.points.clear();
  return result;
}

Start_Line four_pl_start(const Assay_State& s) {
  std::vector<double> x, y, w;
  for (int i = std::max<int>(s.Fit_From, 1); i <= std::min<int>(s.Fit_To, Max_Standards); ++i) {
    x.push_back(std::log(s.STD_Data(3 + i, STD_Column::Concentration)));
    y.push_back(s.STD_Data(3 + i, STD_Column::Logit));
    w.push_back(1);
  }
  Start_Line start;
  const auto line = weighted_polynomial_fit(x, y, w, 1);
  if (!line || (*line)[1] == 0) return start;
  const double a = (*line)[0], b = (*line)[1];
  start.curve.kind = Four_PL;
  start.curve.B = -b;
  start.curve.C = std::exp(-a / b);
  start.available = std::isfinite(start.curve.B) && std::isfinite(start.curve.C) && start.curve.C > 0;
  return start;
}

Model_Fits fit_models(const Assay_State& s, int weighting) {
  Model_Fits fits;
  fits.points = model_points(s, weighting);
  Logistic four_start, five_start;
  five_start.kind = Five_PL;
  if (!fits.points.problem.empty()) {
    // The same reason for both: it is not the model's.
    fits.four_pl.problem = fits.five_pl.problem = fits.points.problem;
    return fits;
  }
  const Start_Line start = four_pl_start(s);
  fits.four_pl = start.available ? fit_logistic(fits.points.points, start.curve)
                                 : unavailable(four_start, "ロジット・ログの直線から開始値が決まりません");
  if (!fits.four_pl.available) {
    const std::string own = point_problem(fits.points.points, five_start.parameters());
    fits.five_pl = unavailable(five_start, own.empty() ? "4PL が求まらないため開始値がありません" : own);
    return fits;
  }
  five_start = fits.four_pl.curve;
  five_start.kind = Five_PL;
  five_start.G = 1;
  fits.five_pl = fit_logistic(fits.points.points, five_start);
  return fits;
}

}  // namespace quorin
