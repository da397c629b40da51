#include "engine/plot_axes.h"

#include <algorithm>
#include <cmath>

#include "engine/treatment_standard.h"
#include "text/format.h"

namespace quorin {

std::string plot_problem(const Assay_State& state) {
  const int n = std::clamp<int>(state.STD_Number, 0, Max_Standards);
  if (n < 2) return "スタンダードが 2 点以上ないため、グラフを描けません";
  for (int i = 1; i <= n; ++i) {
    const double concentration = state.STD_Data(3 + i, STD_Column::Concentration);
    if (!(concentration > 0) || !std::isfinite(std::log(concentration)))
      return "スタンダード " + text::bare_text(i) + " の濃度が 0 以下のため、グラフを描けません";
  }
  if (std::log(state.STD_Data(4, STD_Column::Concentration)) ==
      std::log(state.STD_Data(3 + n, STD_Column::Concentration)))
    return "スタンダード 1 と スタンダード " + text::bare_text(n) +
           " の濃度が同じため、グラフの横軸が決まらず描けません";
  if (const std::string problem = response_problem(state); !problem.empty()) return problem + "。グラフを描けません";
  return "";
}

Curve_Axis curve_axis(const Assay_State& state) {
  const int n = std::clamp<int>(state.STD_Number, 1, Max_Standards);
  Curve_Axis axis;
  axis.x_first = state.STD_Log_Conc(1);
  axis.x_last = state.STD_Log_Conc(n);
  const double direction = axis.x_last >= axis.x_first ? 1 : -1;
  axis.left = axis.x_first - direction * std::log(2.0);
  axis.width = axis.x_last - axis.x_first + direction * 2 * std::log(2.0);
  axis.tick_end = axis.x_first - direction * std::log(1.8);
  return axis;
}

double cubic_at(const Assay_State& state, double x) {
  const auto& c = state.Reg_Work;
  return c(29) + c(30) * x + c(31) * x * x + c(32) * x * x * x;
}

double line_at(const Assay_State& state, double x) {
  return state.Reg_Work(Reg_Slot::Intercept) + state.Reg_Work(Reg_Slot::Slope) * x;
}

}  // namespace quorin
