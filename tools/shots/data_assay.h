#pragma once
// Assays for the data-sheet screenshots: conditions and counts put straight into the state, as
// the conditions screen and a count data file would leave them.

#include <random>

#include "engine/assay_state.h"

namespace quorin::shots {

inline void fill_assay(Assay_State& state, int standards, int tubes, int sera, long samples) {
  state.Operator_Name = "検査 花子";
  state.Assay_Date = "2024/05/01";
  state.Substance_Name = "TSH";
  state.Assay_No = "RIA-0517";
  state.STD_Number = static_cast<Integer>(standards);
  state.STD_Tubes = static_cast<Integer>(tubes);
  state.Sera_Number = static_cast<Integer>(sera);
  state.Sera_Tubes = static_cast<Integer>(tubes);
  state.Sample_Number = static_cast<Long>(samples);
  state.Sample_Tubes = static_cast<Integer>(tubes);
  const double concentrations[] = {0.1, 0.25, 0.5, 1, 2.5, 5, 10, 25, 50, 100};
  for (int k = 1; k <= standards; ++k)
    state.STD_Data(3 + k, STD_Column::Concentration) = concentrations[(k - 1) % 10] * (1 + (k - 1) / 10);
  std::mt19937 random(5);
  std::uniform_int_distribution<Long> count(800, 48000);
  for (int row = 1; row <= standards + 3; ++row)
    for (int j = 1; j <= tubes; ++j) state.STD_Count(row, j) = count(random);
  for (int i = 1; i <= sera; ++i)
    for (int j = 1; j <= tubes; ++j) state.Sera_Count(i, j) = count(random);
  for (long i = 1; i <= samples; ++i)
    for (int j = 1; j <= tubes; ++j) state.Sample_Count(i, j) = (i + j) % 17 == 0 ? 0 : count(random);
}

}  // namespace quorin::shots
