#include "engine/solve.h"

#include <algorithm>
#include <cmath>

namespace quorin {

namespace {
constexpr int Newton_Steps = 5;
constexpr double Relative_Step = 9.99999e-6;
}  // namespace

Curve_In_Force curve_in_force(const Assay_State& s) {
  const auto& work = s.Reg_Work;
  Curve_In_Force curve;
  curve.a0 = work(29);
  curve.a1 = work(30);
  curve.a2 = work(31);
  curve.a3 = work(32);
  curve.slope = work(33);
  curve.intercept = work(34);
  curve.cubic = s.Reg_Order != 1;
  // The cubic is solved only between twice the logits of the first and the last standard.
  const int last = std::clamp<int>(s.STD_Number, 0, Max_Standards);
  curve.below = 2 * s.STD_Data(4, 8);
  curve.above = 2 * s.STD_Data(3 + last, 8);
  return curve;
}

Curve_Solution solve_curve(const Curve_In_Force& c, double target) {
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
      return r;
    }
    x = next;
    r.point = x;
  }
  r.x = x_lin;
  return r;
}

void Solution_of_Equations(Assay_State& s) {
  const Curve_Solution r = solve_curve(curve_in_force(s), s.Target_Logit);
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
