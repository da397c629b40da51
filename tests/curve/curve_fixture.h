#pragma once
// Building assay states for the curve tests: standards with their counts, a curve put in place
// by hand, and a check that no value of the state is NaN or infinite.

#include <cmath>
#include <initializer_list>
#include <memory>
#include <string>

#include "engine/assay_state.h"

namespace quorin::testing {

inline std::unique_ptr<Assay_State> new_state() { return std::make_unique<Assay_State>(); }

// A state of `standards` standards whose NSB and zero-standard means are given: a count c then
// reads B/B0 = (c - nsb) / (b0 - nsb).
inline std::unique_ptr<Assay_State> assay_with_means(int standards, double nsb, double b0) {
  auto s = new_state();
  s->STD_Number = static_cast<Integer>(standards);
  s->STD_Data(STD_Row::NSB, STD_Column::Mean_Count) = nsb;
  s->STD_Data(STD_Row::Zero, STD_Column::Mean_Count) = b0;
  return s;
}

// Counts of one standard-side row (1 NSB, 2 TOTAL, 3 zero standard, 3 + k standard k).
inline void set_counts(Assay_State& s, int row, std::initializer_list<Long> counts) {
  int j = 0;
  for (Long count : counts) s.STD_Count(row, ++j) = count;
}

// A treated standard k as the regression reads it: concentration, mean B/B0 and its logit,
// and its counted tubes.
inline void set_treated_standard(Assay_State& s, int k, double concentration, double logit_value,
                                 std::initializer_list<Long> counts) {
  s.STD_Data(3 + k, STD_Column::Concentration) = concentration;
  s.STD_Data(3 + k, STD_Column::Logit) = logit_value;
  s.STD_Data(3 + k, STD_Column::Percent) = 100 / (1 + std::exp(-logit_value));
  set_counts(s, 3 + k, counts);
  s.STD_Tube_N(3 + k) = static_cast<Integer>(counts.size());
}

// Makes the line y = intercept + slope x of `weight_type` the chosen, available fit; with the
// coefficients a0..a3 of a cubic, the cubic of that weighting.
inline void choose_line(Assay_State& s, int weight_type, double intercept, double slope,
                        std::initializer_list<double> cubic = {}) {
  int m = 0;
  for (double a : cubic) s.Reg_Coef(weight_type, ++m) = a;
  s.Reg_Coef(weight_type, 5) = slope;
  s.Reg_Coef(weight_type, 6) = intercept;
  s.Fit_Available(weight_type) = true;
  if (m > 0) s.Fit_Available(4 + weight_type) = true;
  s.Weight_Type = static_cast<Integer>(weight_type);
  s.Reg_Order = m > 0 ? 3 : 1;
}

template <typename Table>
std::string first_non_finite_cell(const Table& table, const char* name) {
  for (std::size_t r = 0; r <= Table::last_row; ++r)
    for (std::size_t c = 0; c <= Table::last_column; ++c)
      if (!std::isfinite(table(r, c)))
        return std::string(name) + "(" + std::to_string(r) + ", " + std::to_string(c) + ")";
  return "";
}

template <typename Array>
std::string first_non_finite_item(const Array& array, const char* name) {
  for (std::size_t i = 0; i <= Array::last; ++i)
    if (!std::isfinite(array(i))) return std::string(name) + "(" + std::to_string(i) + ")";
  return "";
}

// The name of the first NaN or infinite value among the curve's results; "" when there is none.
inline std::string first_non_finite(const Assay_State& s) {
  for (const std::string& found :
       {first_non_finite_cell(s.STD_Data, "STD_Data"), first_non_finite_cell(s.STD_Conc, "STD_Conc"),
        first_non_finite_cell(s.Reg_Coef, "Reg_Coef"), first_non_finite_cell(s.Sera_Conc, "Sera_Conc"),
        first_non_finite_cell(s.Sera_Data, "Sera_Data"), first_non_finite_item(s.Reg_Work, "Reg_Work"),
        first_non_finite_item(s.STD_Log_Conc, "STD_Log_Conc"), first_non_finite_item(s.Logit_Weight, "Logit_Weight"),
        first_non_finite_item(s.Distance_Weight, "Distance_Weight"), first_non_finite_item(s.ED50_Value, "ED50_Value")})
    if (!found.empty()) return found;
  if (!std::isfinite(s.Weight_Sum)) return "Weight_Sum";
  if (!std::isfinite(s.Target_Logit)) return "Target_Logit";
  return "";
}

}  // namespace quorin::testing
