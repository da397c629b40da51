#include "engine/weight_table.h"

#include <algorithm>
#include <cmath>

#include "engine/fit_choice.h"
#include "engine/response.h"
#include "engine/solve.h"
#include "text/format.h"
#include "text/number_text.h"

namespace quorin {
namespace {

constexpr char Value_Pattern[] = "0.00000";
constexpr int Heading_Width = 1200;  // twips
constexpr int Fit_Width = 800;       // twips

}  // namespace

double zero_standard_sd(const Assay_State& s) {
  const int n = std::clamp<int>(s.STD_Tube_N(3), 0, Max_Tubes);
  if (n * (n - 1) == 0) return 0;
  double sum = 0, sum_sq = 0;
  for (int j = 1; j <= n; ++j) {
    const double count = s.STD_Count(3, j);
    sum += count;
    sum_sq += count * count;
  }
  // |.| because with counts beyond 2^26 the two products no longer cancel exactly.
  return std::sqrt(std::fabs((n * sum_sq - sum * sum) / (n * (n - 1))));
}

namespace {

void write_headings(Weight_Grids& grids) {
  grids.ed.fill("");
  grids.detection.fill("");
  grids.column_width(0) = Heading_Width;
  for (int row = 1; row <= 101; ++row) grids.ed(row, 0) = text::bare_text(101 - row);
  for (int d = 1; d <= 3; ++d) grids.detection(d, 0) = "AVG-STDx" + text::signed_text(d);
  for (int column = 1; column <= 8; ++column) {
    const std::string label = fit_label((column - 1) / 2, column % 2 == 1 ? 1 : 3);
    grids.ed(0, column) = label;
    grids.detection(0, column) = label;
    grids.column_width(column) = Fit_Width;
  }
}

// The ED column of the current fit; returns its ED50, 0 when it has none.
double fill_ed_column(Assay_State& s, Weight_Grids& grids, int column) {
  double ed50 = 0;
  // The logit runs as an accumulated floating-point sum; it is rounded to two decimals before it
  // reaches the solver, so that the sum's error does not.
  for (double logit_value = -3.5; logit_value <= 3.5; logit_value += 0.07) {
    s.Target_Logit = text::round_half_even(logit_value * 100) / 100;
    Solution_of_Equations(s);
    const auto concentration = concentration_of(s.Reg_Work(Reg_Slot::Answer));
    const int row = static_cast<int>(1 + text::round_half_even(50 - 100 * logit_value / 7));
    if (row < 1 || row > 101) continue;
    grids.ed(row, column) = concentration ? text::Format(*concentration, Value_Pattern) : "";
    if (s.Target_Logit == 0) ed50 = concentration.value_or(0);
  }
  return ed50;
}

void fill_detection_column(Assay_State& s, Weight_Grids& grids, int column, double sd) {
  const double nsb = s.STD_Data(STD_Row::NSB, STD_Column::Mean_Count);
  const double b0 = s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count);
  for (int d = 1; d <= 3; ++d) {
    s.Target_Logit = logit(clamp_percent(tube_percent(b0 - d * sd, nsb, b0), 1, 99));
    Solution_of_Equations(s);
    grids.detection(d, column) =
        text::Format(concentration_of(s.Reg_Work(Reg_Slot::Answer)).value_or(0), Value_Pattern);
  }
}

}  // namespace

void Weight_Table(Assay_State& s, Weight_Grids& grids) {
  const Curve_Choice_Keeper keeper(s);
  const double sd = zero_standard_sd(s);
  write_headings(grids);
  int column = 0;
  for (int weight_type = 0; weight_type < Weight_Count; ++weight_type) {
    for (int order : {1, 3}) {
      ++column;
      s.Weight_Type = static_cast<Integer>(weight_type);
      s.Reg_Order = static_cast<Integer>(order);
      load_coefficients(s, weight_type);
      const int index = fit_index(weight_type, order);
      s.ED50_Value(index) = 0;
      if (!s.Fit_Available(index)) continue;
      s.ED50_Value(index) = fill_ed_column(s, grids, column);
      fill_detection_column(s, grids, column, sd);
    }
  }
}

}  // namespace quorin
