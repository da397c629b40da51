#include "support/reference_fit.h"

#include <algorithm>
#include <cmath>

namespace quorin::testing {

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
  const double nsb = s.STD_Data(1, 1), b0 = s.STD_Data(3, 1);
  for (int i = s.Fit_From; i <= s.Fit_To; ++i) {
    const double x = std::log(s.STD_Data(3 + i, 0)), y = s.STD_Data(3 + i, 8);
    const double cubic = s.Reg_Coef(0, 1) + x * (s.Reg_Coef(0, 2) + x * (s.Reg_Coef(0, 3) + x * s.Reg_Coef(0, 4)));
    const int tubes = s.STD_Tube_N(3 + i);
    double ss = 0;
    for (int j = 1; j <= tubes; ++j) {
      double percent = b0 == nsb ? 0 : (s.STD_Count(3 + i, j) - nsb) / (b0 - nsb) * 100;
      percent = percent >= 100 ? 99.5 : percent <= 0 ? 0.5 : percent;
      ss += std::pow(std::log(percent / (100 - percent)) - cubic, 2);
    }
    const double distance = tubes <= 1 ? 0 : (tubes - 1) / ss / 100;
    const double p = s.STD_Data(3 + i, 3);
    const double correction = std::pow(p * (100 - p), 2) / 1e8;
    const double weights[] = {1, distance, correction, distance * correction};
    for (int w = 0; w < 4; ++w)
      if (weights[w] > 0) points[w].push_back({x, y, weights[w]});
  }
  return points;
}

}  // namespace quorin::testing
