#pragma once
// Building assay states for the curve tests: standards with their counts, a curve put in place
// by hand, and a check that no value of the state is NaN or infinite.

#include <cmath>
#include <initializer_list>
#include <memory>
#include <span>
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

// Counts of tubes 1, 2, ... of one row of a count table (of the standard side: 1 NSB, 2 TOTAL,
// 3 zero standard, 3 + k standard k).
template <typename Table, typename Counts = std::initializer_list<Long>>
void set_counts(Table& table, int row, const Counts& counts) {
  int j = 0;
  for (Long count : counts) table(row, ++j) = count;
}

// A treated standard k as the regression reads it: concentration, mean B/B0 and its logit,
// and its counted tubes.
inline void set_treated_standard(Assay_State& s, int k, double concentration, double logit_value,
                                 std::initializer_list<Long> counts) {
  s.STD_Data(3 + k, STD_Column::Concentration) = concentration;
  s.STD_Data(3 + k, STD_Column::Logit) = logit_value;
  s.STD_Data(3 + k, STD_Column::Percent) = 100 / (1 + std::exp(-logit_value));
  set_counts(s.STD_Count, 3 + k, counts);
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

// The name of the first NaN or infinite value among the curve's results, with its place in its
// table (rows one after another); "" when there is none.
inline std::string first_non_finite(const Assay_State& s) {
  using Values = std::pair<const char*, std::span<const double>>;
  const auto table = [](const char* name, const auto& t) {
    return Values{name, {t.row(0), (t.last_row + 1) * t.columns}};
  };
  const auto array = [](const char* name, const auto& a) { return Values{name, {a.data(), a.last + 1}}; };
  for (const auto& [name, values] :
       {table("STD_Data", s.STD_Data), table("STD_Conc", s.STD_Conc), table("Reg_Coef", s.Reg_Coef),
        table("Sera_Conc", s.Sera_Conc), table("Sera_Data", s.Sera_Data), array("Reg_Work", s.Reg_Work),
        array("STD_Log_Conc", s.STD_Log_Conc), array("Logit_Weight", s.Logit_Weight),
        array("Distance_Weight", s.Distance_Weight), array("ED50_Value", s.ED50_Value),
        Values{"Weight_Sum", {&s.Weight_Sum, 1}}, Values{"Target_Logit", {&s.Target_Logit, 1}}})
    for (std::size_t i = 0; i < values.size(); ++i)
      if (!std::isfinite(values[i])) return std::string(name) + " item " + std::to_string(i);
  return "";
}

}  // namespace quorin::testing
