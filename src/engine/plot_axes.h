#pragma once
// The geometry the standard plot and the fitted curves share on screen and on paper: whether the
// standards can be plotted at all, the horizontal axis of the curves, and the two polynomials of
// the current fit.

#include <string>

#include "engine/assay_state.h"

namespace quorin {

// The plots show the logits from +3.5 at the top to -3.5 at the bottom: ED 100 to ED 0.
inline constexpr double Logit_Limit = 3.5;

// Written where a fit, a coefficient or a value cannot be computed.
inline constexpr const char* No_Value_Text = "―";

// Why the standards cannot be plotted against ln(concentration), "" when they can: fewer than two
// standards, a concentration not above 0 (the first such standard is named), standards 1 and
// STD_Number at one concentration (an axis without width), or no B/B0 (the zero standard's mean
// count not above the NSB mean).
std::string plot_problem(const Assay_State& state);

// The horizontal axis of the fitted curves, in x = ln(concentration) from STD_Log_Conc: from half
// the concentration of standard 1 to twice that of the last standard. When the standards decrease
// it runs the same way as they do (mirrored, like the standard plot), so both end standards stay
// inside; its width is therefore never below 2 ln 2.
struct Curve_Axis {
  static constexpr int Steps = 200;  // segments of a drawn curve

  double x_first = 0;   // x of standard 1
  double x_last = 0;    // x of the last standard
  double left = 0;      // x_first - ln 2
  double width = 0;     // x_last - x_first + 2 ln 2
  double tick_end = 0;  // x_first - ln 1.8: the short ticks at the whole logits end here

  // The x of sample point `step` (0..Steps) of a curve.
  double at(int step) const { return left + width * step / Steps; }
  double right() const { return left + width; }
};

Curve_Axis curve_axis(const Assay_State& state);

// The current fit (Reg_Work slots 29..34) at x: the cubic a0 + a1 x + a2 x^2 + a3 x^3 and the
// straight line a + b x, in logit.
double cubic_at(const Assay_State& state, double x);
double line_at(const Assay_State& state, double x);

}  // namespace quorin
