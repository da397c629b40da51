#include "support/reference_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

namespace quorin::testing {
namespace {

struct Weighted_Point {
  double x, y, w;
};
using Polynomial = std::array<long double, 4>;  // c0..c3

// The polynomial of `degree` (1 or 3) of least weighted sum of squares; nothing when the points
// cannot determine it.
std::optional<Polynomial> reference_fit(const std::vector<Weighted_Point>& points, int degree) {
  const int m = degree + 1;
  long double r[4][5] = {};  // the triangle and the rotated right-hand side
  for (const Weighted_Point& p : points) {
    long double row[5] = {};
    const long double root = std::sqrt(static_cast<long double>(p.w));
    long double power = 1;
    for (int k = 0; k < m; ++k, power *= p.x) row[k] = root * power;
    row[m] = root * p.y;
    for (int k = 0; k < m; ++k) {
      if (row[k] == 0) continue;
      const long double h = std::hypot(r[k][k], row[k]), c = r[k][k] / h, sn = row[k] / h;
      for (int j = k; j <= m; ++j) {
        const long double top = r[k][j], bottom = row[j];
        r[k][j] = c * top + sn * bottom;
        row[j] = -sn * top + c * bottom;
      }
    }
  }
  long double largest = 0;
  for (int k = 0; k < m; ++k) largest = std::max(largest, std::fabs(r[k][k]));
  Polynomial c{};
  for (int k = m - 1; k >= 0; --k) {
    if (std::fabs(r[k][k]) <= 1e-15L * largest) return std::nullopt;
    long double sum = r[k][m];
    for (int j = k + 1; j < m; ++j) sum -= r[k][j] * c[j];
    c[k] = sum / r[k][k];
  }
  return c;
}

long double weighted_ss(const std::vector<Weighted_Point>& points, const Polynomial& c) {
  long double ss = 0;
  for (const Weighted_Point& p : points) {
    const long double fitted = c[0] + p.x * (c[1] + p.x * (c[2] + p.x * c[3]));
    ss += p.w * (p.y - fitted) * (p.y - fitted);
  }
  return ss;
}

std::array<std::vector<Weighted_Point>, 4> reference_points(const Assay_State& s) {
  std::array<std::vector<Weighted_Point>, 4> points;
  const double nsb = s.STD_Data(STD_Row::NSB, STD_Column::Mean_Count),
               b0 = s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count);
  for (int i = s.Fit_From; i <= s.Fit_To; ++i) {
    const double x = std::log(s.STD_Data(3 + i, STD_Column::Concentration)), y = s.STD_Data(3 + i, STD_Column::Logit);
    const double cubic = s.Reg_Coef(0, 1) + x * (s.Reg_Coef(0, 2) + x * (s.Reg_Coef(0, 3) + x * s.Reg_Coef(0, 4)));
    const int tubes = s.STD_Tube_N(3 + i);
    double ss = 0;
    for (int j = 1; j <= tubes; ++j) {
      double percent = b0 == nsb ? 0 : (s.STD_Count(3 + i, j) - nsb) / (b0 - nsb) * 100;
      percent = percent >= 100 ? 99.5 : percent <= 0 ? 0.5 : percent;
      ss += std::pow(std::log(percent / (100 - percent)) - cubic, 2);
    }
    const double distance = tubes <= 1 ? 0 : (tubes - 1) / ss / 100;
    const double p = s.STD_Data(3 + i, STD_Column::Percent);
    const double correction = std::pow(p * (100 - p), 2) / 1e8;
    const double weights[] = {1, distance, correction, distance * correction};
    for (int w = 0; w < 4; ++w)
      if (weights[w] > 0) points[w].push_back({x, y, weights[w]});
  }
  return points;
}

}  // namespace

std::string least_squares_shortfall(const Assay_State& s) {
  // A cubic in ln(concentration) with weights a million apart, solved by rotations in long double,
  // keeps some 1e-12 of the sums; weights further apart come from a distance factor of rounding
  // noise (identical tubes on a cubic through their mean), which no second solve reproduces.
  constexpr long double Fit_Slack = 1e-8L;
  constexpr double Rounding_Noise_Weight = 1e6;
  const auto all_points = reference_points(s);
  for (int weighting = 0; weighting < 4; ++weighting) {
    const std::vector<Weighted_Point>& points = all_points[weighting];
    double lightest = HUGE_VAL, heaviest = 0;
    long double total = 0;
    for (const auto& p : points) {
      lightest = std::min(lightest, p.w);
      heaviest = std::max(heaviest, p.w);
      total += p.w * p.y * p.y;
    }
    if (!std::isfinite(heaviest) || heaviest > Rounding_Noise_Weight * lightest) continue;
    for (const int degree : {1, 3}) {
      if (!s.Fit_Available(weighting + (degree == 1 ? 0 : 4))) continue;
      const std::string fit = "weighting " + std::to_string(weighting) + " degree " + std::to_string(degree);
      Polynomial program{};
      for (int k = 0; k <= degree; ++k) program[k] = s.Reg_Coef(weighting, degree == 1 ? 6 - k : 1 + k);
      const auto independent = reference_fit(points, degree);
      if (!independent) return fit + ": available, but its normal equations are singular";
      const long double best = weighted_ss(points, *independent), found = weighted_ss(points, program);
      if (!(found <= best + Fit_Slack * (best + total)))
        return fit + ": sum of squares " + std::to_string(double(found)) + ", least " + std::to_string(double(best));
    }
  }
  return "";
}

}  // namespace quorin::testing
