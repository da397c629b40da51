#pragma once
// The hand-worked assay the sheet, result and printout tests share: its figures are set directly,
// as the curve would have left them, so that every text and byte can be worked out by hand.

#include "engine/assay_state.h"
#include "engine/fit_choice.h"
#include "state/basis.h"
#include "support/test_support.h"

namespace quorin::testing {

// As if the curve and the result tables had just been computed from the state as it stands (the
// chosen fit available): the procedures that show, print and save the results take the figures
// set by hand without computing anything.
inline void as_computed(Assay_State& s) {
  s.Fit_Available(static_cast<std::size_t>(fit_index(s.Weight_Type, s.Reg_Order))) = true;
  s.Curve_Basis = basis_digest(s, Basis::Curve);
  for (std::size_t table = 1; table <= 3; ++table) s.Result_Basis(table) = basis_digest(s, Basis::Results);
}

// One standard of two tubes; the standard itself measured once. Serum 1 unmeasured, serum 2
// twice; sample 1 in three tubes, sample 2 unmeasured, sample 3 once.
inline void hand_worked(Assay_State& s) {
  s.STD_Number = 1;
  s.STD_Tubes = 2;
  // NSB, TOTAL, the zero standard and standard 1: counts, then mean count, count CV and B/B0 %.
  const Long counts[4][2] = {{152, 148}, {20110, 20090}, {9012, 8989}, {4000, 0}};
  const double data[4][3] = {{150, 1.88}, {20100, 0.0703}, {9000.5, 0.7, 100}, {4000, 0, 44.456}};
  for (int k = 1; k <= 4; ++k) {
    s.STD_Tube_N(k) = k == 4 ? 1 : 2;
    for (int t = 1; t <= 2; ++t) s.STD_Count(k, t) = counts[k - 1][t - 1];
    s.STD_Data(k, STD_Column::Mean_Count) = data[k - 1][0], s.STD_Data(k, STD_Column::Count_CV) = data[k - 1][1];
    if (k >= 3) s.STD_Data(k, STD_Column::Percent) = data[k - 1][2];  // none for NSB and TOTAL
  }

  s.Sera_Number = 2;
  s.Sera_Tubes = 2;
  s.Sera_Tube_N(2) = 2;
  s.Sera_Count(2, 1) = 5010, s.Sera_Count(2, 2) = 4990;
  s.Sera_Conc(2, 1) = 1.2345, s.Sera_Conc(2, 2) = 1.25;
  s.Sera_Data(2, Sera_Column::Mean) = 1.24225, s.Sera_Data(2, Sera_Column::Range) = 0.0155,
                 s.Sera_Data(2, Sera_Column::Conc_CV) = 0.882, s.Sera_Data(2, Sera_Column::Count_CV) = 0.28;

  s.Sample_Number = 3;
  s.Sample_Tubes = 3;
  s.Sample_Tube_N(1) = 3, s.Sample_Tube_N(3) = 1;
  s.Sample_Count(1, 1) = 1234, s.Sample_Count(1, 2) = 1300;
  s.Sample_Conc(1, 1) = 12.3, s.Sample_Conc(1, 2) = 11.9;
  double* first = s.Sample_Data.row(1);
  first[0] = 2, first[1] = 12.1, first[2] = 0.4, first[3] = 121, first[4] = 2.6, first[5] = 3.3;
  s.Sample_Count(3, 1) = 800, s.Sample_Conc(3, 1) = 1.0 / 3;
  s.Sample_Data(3, Sample_Column::Mean) = 1.0 / 3, s.Sample_Data(3, Sample_Column::Value) = 10.0 / 3;
  s.Dilution_Factor = 10;
}

}  // namespace quorin::testing
