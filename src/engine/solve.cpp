#include "engine/solve.h"

#include <algorithm>
#include <cmath>

namespace quorin {

namespace {
constexpr int Newton_Steps = 5;
constexpr double Relative_Step = 9.99999e-6;
}  // namespace

namespace {
// The curve of the coefficients a0, a1, a2, a3, slope and intercept, first to last.
template <typename Coefficient>
Logit_Log_Curve curve_of(const Assay_State& s, Coefficient coefficient) {
  Logit_Log_Curve curve;
  curve.a0 = coefficient(1);
  curve.a1 = coefficient(2);
  curve.a2 = coefficient(3);
  curve.a3 = coefficient(4);
  curve.slope = coefficient(5);
  curve.intercept = coefficient(6);
  curve.cubic = s.Reg_Order != 1;
  // The cubic is solved only between twice the logits of the first and the last standard.
  const int last = std::clamp<int>(s.STD_Number, 0, Max_Standards);
  curve.below = 2 * s.STD_Data(4, STD_Column::Logit);
  curve.above = 2 * s.STD_Data(3 + last, STD_Column::Logit);
  return curve;
}
}  // namespace

Logit_Log_Curve logit_log_curve(const Assay_State& s) {
  return curve_of(s, [&s](int m) { return s.Reg_Work(Reg_Slot::A0 - 1 + m); });
}

Logit_Log_Curve logit_log_curve(const Assay_State& s, int weight_type) {
  return curve_of(s, [&s, weight_type](int m) { return s.Reg_Coef(weight_type, m); });
}

Curve_Solution solve_curve(const Logit_Log_Curve& c, double target) {
  Curve_Solution r;
  // A slope so flat that the answer overflows is taken as the zero slope it practically is.
  double x_lin = c.slope == 0 ? 0 : (target - c.intercept) / c.slope;
  if (!std::isfinite(x_lin)) x_lin = 0;
  r.x = r.x_lin = r.point = x_lin;
  if (!c.cubic || c.below <= target || c.above >= target) return r;

  double x = x_lin;
  for (int step = 0; step < Newton_Steps; ++step) {
    const double f = c.a3 * std::pow(x, 3) + c.a2 * std::pow(x, 2) + c.a1 * x + c.a0 - target;
    const double slope_f = 3 * c.a3 * std::pow(x, 2) + 2 * c.a2 * x + c.a1;
    const double next = slope_f == 0 ? 0 : x - f / slope_f;
    if (!std::isfinite(f) || !std::isfinite(slope_f) || !std::isfinite(next)) break;
    const double change = next - x;
    r.stepped = true;
    r.f = f;
    r.slope_f = slope_f;
    r.change = change;
    r.relative = x == 0 ? 0 : std::fabs(change / x);
    if (r.relative < Relative_Step) {
      r.x = next;
      r.on_cubic = true;
      return r;
    }
    x = next;
    r.point = x;
  }
  r.x = x_lin;
  return r;
}

void Solution_of_Equations(Assay_State& s) {
  const Curve_Solution r = solve_curve(logit_log_curve(s), s.Target_Logit);
  auto& work = s.Reg_Work;
  work(0) = r.x_lin;
  work(35) = r.point;
  work(38) = r.x;
  if (!r.stepped) return;
  work(36) = r.f;
  work(37) = r.slope_f;
  work(39) = r.change;
  work(40) = r.relative;
}

}  // namespace quorin
