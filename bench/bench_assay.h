#pragma once
// The largest assay the program takes, filled in memory: 20 standards, 20 control sera and
// 100,000 samples of 10 tubes each, counts scattered about a binding curve, standards treated
// and the fit range set to all standards.

#include <cmath>
#include <random>

#include "engine/assay_state.h"
#include "engine/treatment_standard.h"

namespace quorin::bench {

inline void fill_largest_assay(Assay_State& s) {
  std::mt19937 random(1);
  std::uniform_real_distribution<double> scatter(0.95, 1.05);
  const double nsb = 300, b0 = 12000;
  s.STD_Number = 20;
  s.STD_Tubes = 10;
  for (int j = 1; j <= 10; ++j) {
    s.STD_Count(1, j) = Long(nsb * scatter(random));
    s.STD_Count(2, j) = 40000;
    s.STD_Count(3, j) = Long(b0 * scatter(random));
  }
  for (int k = 1; k <= 20; ++k) {
    const double concentration = 0.05 * std::pow(1.6, k - 1);
    s.STD_Data(3 + k, STD_Column::Concentration) = concentration;
    const double bound = nsb + (b0 - nsb) / (1 + std::pow(concentration / 5, 0.9));
    for (int j = 1; j <= 10; ++j) s.STD_Count(3 + k, j) = Long(bound * scatter(random));
  }
  s.Sera_Number = 20;
  s.Sera_Tubes = 10;
  s.Sample_Number = Max_Samples;
  s.Sample_Tubes = 10;
  s.Dilution_Factor = 2;
  std::uniform_real_distribution<double> response(nsb * 0.9, b0 * 1.02);
  for (int i = 1; i <= 20; ++i)
    for (int j = 1; j <= 10; ++j) s.Sera_Count(i, j) = Long(response(random));
  for (Long i = 1; i <= Max_Samples; ++i)
    for (int j = 1; j <= 10; ++j) s.Sample_Count(i, j) = Long(response(random));
  Treatment_Standard(s);
  s.Fit_From = 1;
  s.Fit_To = 20;
}

}  // namespace quorin::bench
