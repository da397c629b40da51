#pragma once
// The picture of the model comparison, shared by the screen and the printout: the standard tubes
// as B/B0 (%) against ln(concentration), and the three curves in their own line styles.

#include <vector>

#include "engine/model_comparison.h"
#include "engine/plot_axes.h"

namespace quorin {

// The response axis runs from -10 % at the bottom to 110 % at the top.
inline constexpr double Plot_Top_Percent = 110;
inline constexpr double Plot_Bottom_Percent = -10;

// How a curve is drawn: the logit-log solid, the 4PL dashed, the 5PL dotted.
enum class Line_Look { Solid, Dashed, Dotted };
Line_Look line_look(int kind);

struct Plot_Point {
  double x;  // ln(concentration)
  double p;  // percent, held to the plot's range
};

// The sample points of an available curve over the axis of the fitted curves (Curve_Axis::Steps
// segments), its response held to Plot_Bottom_Percent..Plot_Top_Percent.
std::vector<Plot_Point> curve_points(const Model_Column& column, const Curve_Axis& axis);

// The pieces of a curve as its look draws them: for Solid every segment, for Dashed four
// segments on and four off; for Dotted no segment (`dots` gets every third point instead).
struct Plot_Segment {
  Plot_Point from, to;
};
std::vector<Plot_Segment> curve_segments(const std::vector<Plot_Point>& points, Line_Look look,
                                         std::vector<Plot_Point>& dots);

// The standard tubes that can stand on a logarithmic axis (concentration above 0).
std::vector<Plot_Point> tube_points(const Model_Comparison& comparison);

}  // namespace quorin
