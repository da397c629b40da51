#include "engine/concentration_interval.h"

#include <gsl/gsl_cdf.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/least_squares.h"
#include "engine/parallel.h"
#include "engine/regression.h"
#include "engine/response.h"
#include "engine/solve.h"

namespace quorin {

namespace {

// The residual variance below which a fit counts as exact (responses are logits or B/B0 in percent).
constexpr double Exact_Fit_Variance = 1e-20;

constexpr unsigned No_Interval_Flags = Flag::Above | Flag::Below | Flag::No_Tube;
// The largest ln(concentration) the program represents (engine/response.h).
constexpr double Largest_Log = 700;
// Items a part of a table has at the least: fewer are computed faster than a thread is started.
constexpr long Least_Items_Per_Part = 5000;

double t_quantile(int degrees_of_freedom) {
  return gsl_cdf_tdist_Pinv(0.5 + Interval_Level / 2, static_cast<double>(degrees_of_freedom));
}

// The spread of the logit-log polynomial of `degree` through the points, its residuals taken
// about the coefficients in force c0..c3; parameters 0 when it cannot be computed.
Curve_Spread polynomial_spread(const std::vector<Fit_Point>& points, int degree, const std::array<double, 4>& c) {
  Curve_Spread spread;
  std::vector<double> x, w;
  double rss = 0;
  for (const Fit_Point& point : points) {
    if (!(point.w > 0)) continue;
    x.push_back(point.x);
    w.push_back(point.w);
    const double fitted = c[0] + point.x * (c[1] + point.x * (c[2] + point.x * c[3]));
    rss += point.w * std::pow(point.y - fitted, 2);
  }
  const int k = degree + 1;
  const auto inverse = weighted_polynomial_inverse(x, w, degree);
  const int degrees_of_freedom = static_cast<int>(x.size()) - k;
  if (!inverse || degrees_of_freedom < 1 || !std::isfinite(rss)) return spread;
  spread.parameters = k;
  spread.variance = rss / degrees_of_freedom;
  spread.degrees_of_freedom = degrees_of_freedom;
  spread.quantile = t_quantile(degrees_of_freedom);
  for (int i = 0; i < k; ++i)
    for (int j = 0; j < k; ++j)
      spread.covariance[static_cast<std::size_t>(5 * i + j)] =
          spread.variance * (*inverse)[static_cast<std::size_t>(k * i + j)];
  return spread;
}

// The variance model of a logit-log fit of weighting `weight_type`: h, and mean(1 / D_i) where the
// weighting is by distance (see the header).
void logit_log_variance(Interval_Basis& basis, const std::vector<Fit_Point>& points, int weight_type) {
  double inverse_tubes = 0, inverse_distance = 0;
  int weighed = 0;
  for (const Fit_Point& point : points) {
    if (!(point.w > 0) || point.tubes < 1) continue;
    ++weighed;
    inverse_tubes += 1.0 / point.tubes;
    inverse_distance += 1 / point.distance;
  }
  basis.tube_scale = weighed / inverse_tubes;
  basis.assumed = weight_type == 1 || weight_type == 3;
  if (basis.assumed) basis.tube_scale *= inverse_distance / weighed;
  basis.logit_corrected = weight_type >= 2;
}

Interval_Basis logit_log_basis(const Assay_State& state, Interval_Basis basis) {
  const Logit_Log_Curve& line = basis.curve.line;
  const std::vector<Fit_Point> points = fit_points(state, basis.curve.weighting);
  if (points.empty()) {
    basis.problem = "検量線の重みが求まらないため、95%区間を求められません";
    return basis;
  }
  basis.line_spread = polynomial_spread(points, 1, {line.intercept, line.slope, 0, 0});
  basis.spread = line.cubic ? polynomial_spread(points, 3, {line.a0, line.a1, line.a2, line.a3}) : basis.line_spread;
  if (basis.spread.parameters == 0)
    basis.problem =
        "回帰に使うスタンダードが検量線の係数の数より多くないため（残差の自由度が 0）、95%区間を求められません";
  logit_log_variance(basis, points, basis.curve.weighting);
  return basis;
}

Interval_Basis model_basis(Interval_Basis basis) {
  const Logistic_Uncertainty& u = basis.curve.model_uncertainty;
  Curve_Spread& spread = basis.spread;
  if (u.degrees_of_freedom < 1) {
    basis.problem =
        "当てはめに使うチューブが検量線のパラメータの数より多くないため（残差の自由度が 0）、95%区間を求められません";
    return basis;
  }
  spread.parameters = basis.curve.model.parameters();
  spread.covariance = u.covariance;
  spread.variance = u.variance;
  spread.degrees_of_freedom = u.degrees_of_freedom;
  spread.quantile = t_quantile(u.degrees_of_freedom);
  return basis;
}

// What the delta method needs at the read-off point: u = ln x, df/du and df/dtheta, and the
// spread of the curve that answered.
struct Read_Point {
  double u = 0;
  double slope = 0;
  std::array<double, 5> gradient{};
  const Curve_Spread* spread = nullptr;
};

std::optional<Read_Point> read_logit_log(const Interval_Basis& basis, double percent) {
  if (!(percent > 0 && percent < 100)) return std::nullopt;
  const Logit_Log_Curve& c = basis.curve.line;
  const Curve_Solution solution = solve_curve(c, logit(percent));
  const double u = solution.x;
  if (!(u <= Largest_Log)) return std::nullopt;
  if (solution.on_cubic)
    return Read_Point{u, c.a1 + u * (2 * c.a2 + 3 * c.a3 * u), {1, u, u * u, u * u * u, 0}, &basis.spread};
  return Read_Point{u, c.slope, {1, u, 0, 0, 0}, &basis.line_spread};
}

std::optional<Read_Point> read_model(const Interval_Basis& basis, double percent) {
  const auto read = basis.curve.model.read_off(percent);
  if (!read) return std::nullopt;
  // f depends on x through ln x - ln C.
  return Read_Point{read->log_x, -read->gradient.d[2], read->gradient.d, &basis.spread};
}

// The mean count of the item's usable tubes (counted, and read a concentration above 0, as
// engine/result_flags.h counts them) and their number.
struct Item_Tubes {
  double mean_count = 0;
  int usable = 0;
};

Item_Tubes item_tubes(const Long* counts, const double* concentrations, int last) {
  Item_Tubes tubes;
  double sum = 0;
  for (int j = 1; j <= std::clamp(last, 0, Max_Tubes); ++j)
    if (counts[j] != 0 && concentrations[j] > 0) sum += counts[j], ++tubes.usable;
  if (tubes.usable > 0) tubes.mean_count = sum / tubes.usable;
  return tubes;
}

Item_Tubes item_tubes(const Assay_State& s, Result_Kind kind, Long item) {
  const auto i = static_cast<std::size_t>(item);
  switch (kind) {
    case Result_Kind::Sample: return item_tubes(s.Sample_Count.row(i), s.Sample_Conc.row(i), s.Sample_Tube_N(i));
    case Result_Kind::Sera: return item_tubes(s.Sera_Count.row(i), s.Sera_Conc.row(i), s.Sera_Tube_N(i));
    case Result_Kind::Standard_Conc:
      return item_tubes(s.STD_Count.row(i + 3), s.STD_Conc.row(i + 3), s.STD_Tube_N(i + 3));
    case Result_Kind::Standard_Data: break;
  }
  return {};
}

// The items of a table that can have an interval: 1..this (the standard rows have none).
Long table_items(const Assay_State& s, Result_Kind kind) {
  return kind == Result_Kind::Standard_Data ? 0 : item_count(s, kind);
}

// v(r) of the header: the variance of one tube's response at the mean response, over s^2.
double tube_variance_factor(const Interval_Basis& basis, double percent, double mean_count) {
  if (!basis.curve.is_model())
    return basis.logit_corrected ? basis.tube_scale / logit_correction(percent) : basis.tube_scale;
  switch (basis.curve.weighting) {
    case 1: return mean_count;
    case 2: return percent * percent;
    default: return 1;
  }
}

}  // namespace

Concentration_Interval diluted(const Concentration_Interval& interval, double factor) {
  return {interval.lower * factor, interval.upper * factor, interval.assumed};
}

Interval_Basis interval_basis(const Assay_State& state, const Curve_In_Force& curve) {
  Interval_Basis basis;
  basis.curve = curve;
  basis.nsb = state.STD_Data(STD_Row::NSB, STD_Column::Mean_Count);
  basis.b0 = state.STD_Data(STD_Row::Zero, STD_Column::Mean_Count);
  return curve.is_model() ? model_basis(basis) : logit_log_basis(state, basis);
}

Interval_Basis interval_basis(const Assay_State& state) { return interval_basis(state, make_curve_in_force(state)); }

Interval_Basis interval_basis(const Assay_State& state, const Curve_Outcome& outcome) {
  if (outcome.curve) return interval_basis(state, *outcome.curve);
  Interval_Basis basis;
  basis.problem = outcome.refusal;
  return basis;
}

std::optional<Concentration_Interval> item_interval(const Assay_State& state, const Interval_Basis& basis,
                                                    Result_Kind kind, Long item, unsigned flags) {
  if (!basis.problem.empty() || (flags & No_Interval_Flags) != 0 || item < 1 || item > table_items(state, kind))
    return std::nullopt;
  const Item_Tubes tubes = item_tubes(state, kind, item);
  if (tubes.usable == 0) return std::nullopt;
  const double percent = tube_percent(tubes.mean_count, basis.nsb, basis.b0);
  const auto point = basis.curve.is_model() ? read_model(basis, percent) : read_logit_log(basis, percent);
  if (!point || point->spread->parameters == 0 || point->slope == 0 || !std::isfinite(point->slope))
    return std::nullopt;

  const Curve_Spread& spread = *point->spread;
  // A curve through its points exactly (s^2 zero but for rounding; a real assay's counts leave
  // far more) has no estimate of its error: no interval, rather than one of no width.
  if (!(spread.variance > Exact_Fit_Variance)) return std::nullopt;
  const double response_variance =
      spread.variance * tube_variance_factor(basis, percent, tubes.mean_count) / tubes.usable;
  double curve_variance = 0;
  for (int i = 0; i < spread.parameters; ++i)
    for (int j = 0; j < spread.parameters; ++j)
      curve_variance += point->gradient[static_cast<std::size_t>(i)] *
                        spread.covariance[static_cast<std::size_t>(5 * i + j)] *
                        point->gradient[static_cast<std::size_t>(j)];
  if (!(response_variance >= 0)) return std::nullopt;  // a negative mean count
  const double log_variance = (response_variance + curve_variance) / (point->slope * point->slope);
  if (!(log_variance >= 0) || !std::isfinite(log_variance)) return std::nullopt;
  const double half_width = spread.quantile * std::sqrt(log_variance);
  if (!(point->u + half_width <= Largest_Log)) return std::nullopt;
  return Concentration_Interval{std::exp(point->u - half_width), std::exp(point->u + half_width), basis.assumed};
}

std::vector<std::optional<Concentration_Interval>> table_intervals(const Assay_State& state,
                                                                   const Interval_Basis& basis, Result_Kind kind,
                                                                   const Flag_Limits& limits) {
  const Long items = table_items(state, kind);
  std::vector<std::optional<Concentration_Interval>> intervals(static_cast<std::size_t>(items) + 1);
  // Each part writes the entries of its own items only.
  for_each_part(1, items, part_count(items, Least_Items_Per_Part), [&](int, long first, long last) {
    for (long i = first; i <= last; ++i)
      intervals[static_cast<std::size_t>(i)] = item_interval(state, basis, kind, static_cast<Long>(i),
                                                             item_flags(state, kind, static_cast<Long>(i), limits));
  });
  return intervals;
}

}  // namespace quorin
