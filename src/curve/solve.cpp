#include "curve/solve.h"

#include <algorithm>
#include <cmath>

namespace quorin {

namespace {
constexpr int Newton_Steps = 5;
constexpr double Relative_Step = 9.99999e-6;
}  // namespace

void Solution_of_Equations(Assay_State& s) {
  auto& work = s.Reg_Work;
  const double target = s.Target_Logit;
  const double a0 = work(29), a1 = work(30), a2 = work(31), a3 = work(32);
  const double slope = work(33), intercept = work(34);

  // A slope so flat that the answer overflows is taken as the zero slope it practically is.
  double x_lin = slope == 0 ? 0 : (target - intercept) / slope;
  if (!std::isfinite(x_lin)) x_lin = 0;
  work(35) = x_lin;
  work(0) = x_lin;
  work(38) = x_lin;
  if (s.Reg_Order == 1) return;

  // The cubic is solved only between twice the logits of the first and the last standard.
  const int last = std::clamp<int>(s.STD_Number, 0, Max_Standards);
  if (2 * s.STD_Data(4, 8) <= target) return;
  if (2 * s.STD_Data(3 + last, 8) >= target) return;

  double x = x_lin;
  for (int step = 0; step < Newton_Steps; ++step) {
    const double f = a3 * std::pow(x, 3) + a2 * std::pow(x, 2) + a1 * x + a0 - target;
    const double slope_f = 3 * a3 * std::pow(x, 2) + 2 * a2 * x + a1;
    const double next = slope_f == 0 ? 0 : x - f / slope_f;
    if (!std::isfinite(f) || !std::isfinite(slope_f) || !std::isfinite(next)) break;
    work(36) = f;
    work(37) = slope_f;
    work(38) = next;
    const double change = next - x;
    const double relative = x == 0 ? 0 : std::fabs(change / x);
    work(39) = change;
    work(40) = relative;
    if (relative < Relative_Step) return;
    x = next;
    work(35) = x;
  }
  work(38) = x_lin;
}

}  // namespace quorin
