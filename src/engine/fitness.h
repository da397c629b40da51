#pragma once
// How well the chosen curve reproduces the standards: every counted tube read back as if it
// were a sample.

#include "engine/assay_state.h"
#include "engine/result_curve.h"

namespace quorin {

// For every standard 1..STD_Number (whatever range the regression used), each counted tube's
// B/B0, clamped to 1..99 %, is solved on the curve in force: STD_Conc(3 + i, j) = e^x, or 0 when
// x > 700 (that 0 still counts). STD_Data(3 + i, STD_Column::Back_Mean), 5 and 6 receive the mean, the spread and
// the CV of those concentrations (all 0 without counted tubes).
//
// On a 4PL or 5PL each tube's response is read off the model unclamped, and one outside the
// range between D and A reads as 0 (and counts).
void Fitness_Examination(Assay_State& state, const Curve_In_Force& curve);

}  // namespace quorin
