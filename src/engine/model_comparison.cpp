#include "engine/model_comparison.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "engine/fit_choice.h"
#include "engine/response.h"
#include "engine/solve.h"
#include "engine/weight_table.h"

namespace quorin {

namespace {

using Read_Off = std::function<std::optional<double>(double percent)>;

// The chosen logit-log fit (current in Reg_Work) as the results read it: a response strictly
// between 0 and 100 % solved for its logit.
std::optional<double> logit_log_concentration(Assay_State& s, double percent) {
  if (!(percent > 0 && percent < 100)) return std::nullopt;
  s.Target_Logit = logit(percent);
  Solution_of_Equations(s);
  return concentration_of(s.Reg_Work(Reg_Slot::Answer));
}

// a0..a3 of the current logit-log fit: the cubic, or the straight line as a, b, 0, 0.
std::array<double, 4> logit_log_coefficients(const Assay_State& s) {
  const auto& work = s.Reg_Work;
  if (s.Reg_Order == 1) return {work(34), work(33), 0, 0};
  return {work(29), work(30), work(31), work(32)};
}

// RSS, s and AIC of the logit-log fit on the models' points.
void judge_logit_log(const std::vector<Model_Point>& points, Model_Column& column) {
  Logistic_Fit& fit = column.fit;
  fit.n = static_cast<int>(points.size());
  fit.rss = 0;
  for (const Model_Point& point : points) fit.rss += point.w * std::pow(point.p - column.response(point.x), 2);
  const int k = column.parameters;
  fit.s = fit.n > k ? std::sqrt(fit.rss / (fit.n - k)) : std::numeric_limits<double>::quiet_NaN();
  fit.aic = fit.rss > 0 ? fit.n * std::log(fit.rss / fit.n) + 2 * k : -std::numeric_limits<double>::infinity();
  if (fit.n == 0) fit.rss = fit.aic = std::numeric_limits<double>::quiet_NaN();
}

// What every available column shows read off its curve.
void read_off(Assay_State& s, Model_Column& column, const Read_Off& read) {
  const double nsb = s.STD_Data(STD_Row::NSB, STD_Column::Mean_Count);
  const double b0 = s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count);
  const int standards = std::clamp<int>(s.STD_Number, 0, Max_Standards);
  for (int i = std::max<int>(s.Fit_From, 1); i <= std::min<int>(s.Fit_To, standards); ++i) {
    if (s.STD_Tube_N(3 + i) <= 0) continue;
    const auto found = read(tube_percent(s.STD_Data(3 + i, STD_Column::Mean_Count), nsb, b0));
    Recovery recovery{i, std::nullopt};
    if (found) recovery.percent = 100 * *found / s.STD_Data(3 + i, STD_Column::Concentration);
    column.recoveries.push_back(recovery);
  }
  for (int row = 1; row <= 101; ++row) column.ed[row] = read(101 - row);
  const double sd = zero_standard_sd(s);
  for (int d = 1; d <= 3; ++d) {
    const double percent = tube_percent(b0 - d * sd, nsb, b0);
    // The logit-log fit's limits as the curve screen gives them, from a response held to 1..99 %.
    column.detection[d] = read(column.kind == Logit_Log ? clamp_percent(percent, 1, 99) : percent);
  }
}

}  // namespace

std::optional<Recovery> Model_Column::worst() const {
  std::optional<Recovery> worst;
  for (const Recovery& r : recoveries) {
    if (!r.percent) return r;
    if (!worst || std::fabs(*r.percent - 100) > std::fabs(*worst->percent - 100)) worst = r;
  }
  return worst;
}

double Model_Column::response(double x) const {
  return kind == Logit_Log ? logit_log_response(polynomial, x) : fit.curve.response(x);
}

Model_Comparison compare_models(Assay_State& s, int weighting) {
  Model_Comparison comparison;
  comparison.weighting = weighting;
  const Model_Fits fits = fit_models(s, weighting);
  comparison.problem = fits.points.problem;
  comparison.points = fits.points.points;

  Model_Column& chosen = comparison.columns[Logit_Log];
  chosen.kind = Logit_Log;
  chosen.heading = model_name(Logit_Log) + " " + fit_label(s.Weight_Type, s.Reg_Order);
  chosen.parameters = s.Reg_Order == 1 ? 2 : 4;
  chosen.available = use_selected_fit(s);
  if (chosen.available) {
    chosen.polynomial = logit_log_coefficients(s);
    judge_logit_log(comparison.points, chosen);
    read_off(s, chosen, [&s](double percent) { return logit_log_concentration(s, percent); });
    chosen.ed50 = logit_log_concentration(s, 50).value_or(0);
  } else {
    chosen.problem = selected_fit_unavailable_message(s);
  }

  for (int kind : {Four_PL, Five_PL}) {
    Model_Column& column = comparison.columns[kind];
    column.kind = kind;
    column.heading = model_name(kind);
    column.fit = fits.of(kind);
    column.parameters = column.fit.curve.parameters();
    column.available = column.fit.available;
    column.problem = column.fit.problem;
    if (!column.available) continue;
    const Logistic curve = column.fit.curve;
    read_off(s, column, [curve](double percent) { return curve.concentration(percent); });
    column.ed50 = curve.ed50();
  }
  return comparison;
}

}  // namespace quorin
