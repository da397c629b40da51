#pragma once
// How well the chosen curve reproduces the standards: every counted tube read back as if it
// were a sample.

#include "state/assay_state.h"

namespace quorin {

// For every standard 1..STD_Number (whatever range the regression used), each counted tube's
// B/B0, clamped to 1..99 %, is solved on the chosen fit: STD_Conc(3 + i, j) = e^x, or 0 when
// x > 700 (that 0 still counts). STD_Data(3 + i, 4), 5 and 6 receive the mean, the spread and
// the CV of those concentrations (all 0 without counted tubes).
//
// Makes the chosen fit (Weight_Type, Reg_Order) current first (use_selected_fit). Returns false
// and changes nothing when that fit is not available.
bool Fitness_Examination(Assay_State& state);

}  // namespace quorin
