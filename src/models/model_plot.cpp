#include "models/model_plot.h"

#include <algorithm>
#include <cmath>

namespace quorin {

Line_Look line_look(int kind) {
  if (kind == Four_PL) return Line_Look::Dashed;
  if (kind == Five_PL) return Line_Look::Dotted;
  return Line_Look::Solid;
}

std::vector<Plot_Point> curve_points(const Model_Column& column, const Curve_Axis& axis) {
  std::vector<Plot_Point> points;
  for (int step = 0; step <= Curve_Axis::Steps; ++step) {
    const double x = axis.at(step);
    const double p = column.response(std::exp(x));
    points.push_back({x, std::isnan(p) ? Plot_Bottom_Percent : std::clamp(p, Plot_Bottom_Percent, Plot_Top_Percent)});
  }
  return points;
}

std::vector<Plot_Segment> curve_segments(const std::vector<Plot_Point>& points, Line_Look look,
                                         std::vector<Plot_Point>& dots) {
  std::vector<Plot_Segment> segments;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (look == Line_Look::Dotted) {
      if (i % 3 == 0) dots.push_back(points[i]);
      continue;
    }
    if (i + 1 < points.size() && (look == Line_Look::Solid || (i / 4) % 2 == 0))
      segments.push_back({points[i], points[i + 1]});
  }
  return segments;
}

std::vector<Plot_Point> tube_points(const Model_Comparison& comparison) {
  std::vector<Plot_Point> points;
  for (const Model_Point& point : comparison.points)
    if (point.x > 0) points.push_back({std::log(point.x), point.p});
  return points;
}

}  // namespace quorin
