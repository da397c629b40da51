#pragma once
// Reading the current standard curve backwards: the x = ln(concentration) at which it takes a
// given logit.

#include "engine/assay_state.h"

namespace quorin {

// The curve as the solver reads it: the coefficients of the chosen fit (Reg_Work slots 29..34)
// and the window within which the cubic is solved.
struct Logit_Log_Curve {
  double a0 = 0, a1 = 0, a2 = 0, a3 = 0;  // the cubic a0 + a1 x + a2 x^2 + a3 x^3
  double slope = 0, intercept = 0;        // the straight line intercept + slope x
  bool cubic = false;                     // Reg_Order is not 1
  double above = 0;                       // 2 x the logit of the last standard
  double below = 0;                       // 2 x the logit of standard 1
};
Logit_Log_Curve logit_log_curve(const Assay_State& state);
// The same curve for the fit of weighting `weight_type` (its coefficients in Reg_Coef), the
// order being Reg_Order.
Logit_Log_Curve logit_log_curve(const Assay_State& state, int weight_type);

// What the solver works out for one logit: the answer and the Newton step it ended with.
struct Curve_Solution {
  double x = 0;                                         // the answer (slot 38)
  double x_lin = 0;                                     // the straight line's answer (slot 0)
  double point = 0;                                     // the last Newton point (slot 35)
  bool stepped = false;                                 // a Newton step was taken: the four values below are its own
  bool on_cubic = false;                                // x is the cubic's (a step met the tolerance), not x_lin
  double f = 0, slope_f = 0, change = 0, relative = 0;  // slots 36, 37, 39 and 40
};

// The straight line answers x_lin = (target - intercept) / slope (0 for a zero slope, and for a
// slope so flat that the quotient overflows). For the straight line, or outside the window
// below > target > above, x_lin is the answer. Otherwise at most five Newton steps on the cubic
// start from x_lin; a step whose relative size is below 9.99999e-6 ends them with its new point,
// and without that the answer is x_lin. A Newton point at which the cubic overflows cannot
// converge: the steps end there with the answer x_lin, so no value is left infinite or NaN.
// A pure function: the samples are solved on several threads at once.
Curve_Solution solve_curve(const Logit_Log_Curve& curve, double target);

// Solves the curve in Reg_Work slots 29..34 for Target_Logit and leaves x in Reg_Work(Reg_Slot::Answer); the
// caller takes the concentration as e^x (see concentration_of in engine/response.h). Slot 0 and
// 35 get x_lin and then the last Newton point; slots 36, 37, 39 and 40 the last Newton step's
// f, f', step and relative step, and keep their values when no step is taken.
void Solution_of_Equations(Assay_State& state);

}  // namespace quorin
