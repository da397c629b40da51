#pragma once
// Reading the current standard curve backwards: the x = ln(concentration) at which it takes a
// given logit.

#include "state/assay_state.h"

namespace quorin {

// Solves the curve in Reg_Work slots 29..34 for Target_Logit and leaves x in Reg_Work(38); the
// caller takes the concentration as e^x (see concentration_of in curve/response.h).
//
// The straight line answers x_lin = (Target_Logit - a) / b (0 for a zero slope, and for a slope
// so flat that the quotient overflows), kept in slot 0. With Reg_Order 1, or outside the window
// 2 y_last < Target_Logit < 2 y_first (the logits of standards 1 and STD_Number), x_lin is the
// answer. Otherwise at most five Newton steps on the
// cubic start from x_lin; a step whose relative size is below 9.99999e-6 ends them with its new
// point, and without that the answer is x_lin. Slots 35..37 and 39..40 keep the last Newton
// point, f, f' and the last step and its relative size. A Newton point at which the cubic
// overflows cannot converge: the steps end there with the answer x_lin, so no slot is left
// infinite or NaN.
void Solution_of_Equations(Assay_State& state);

}  // namespace quorin
