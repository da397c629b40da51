#include "support/reference_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include "support/test_support.h"

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

// The model's parameters A, B, C, D, G (G stays 1 for the 4PL).
using Model = std::array<long double, 5>;

// f(x) and its derivatives in A, B, C, D, G.
long double model_value(const Model& q, long double x, long double* d) {
  if (x == 0) {
    if (d != nullptr) std::fill(d, d + 5, 0.0L), d[0] = 1;
    return q[0];
  }
  const long double z = std::pow(x / q[2], q[1]), u = 1 + z, s = std::pow(u, -q[4]);
  if (d != nullptr) {
    const long double slope = -(q[0] - q[3]) * q[4] * s / u * z;  // d f / d ln z
    d[0] = s;
    d[1] = slope * std::log(x / q[2]);
    d[2] = -slope * q[1] / q[2];
    d[3] = 1 - s;
    d[4] = -(q[0] - q[3]) * s * std::log(u);
  }
  return q[3] + (q[0] - q[3]) * s;
}

// The gradient of the weighted sum of squares in the first k parameters (halved: sum w r df).
Model gradient(const std::vector<Model_Point>& points, const Model& q, int k) {
  Model g{};
  for (const Model_Point& p : points) {
    long double d[5];
    const long double r = model_value(q, p.x, d) - p.p;
    for (int j = 0; j < k; ++j) g[j] += p.w * r * d[j];
  }
  return g;
}

// Newton's step -H^-1 g, the Hessian from central differences of the gradient, by elimination
// with partial pivoting; nothing when the Hessian is singular.
std::optional<Model> newton_step(const std::vector<Model_Point>& points, const Model& q, int k) {
  long double h[5][6] = {};
  const Model g = gradient(points, q, k);
  for (int j = 0; j < k; ++j) {
    const long double step = 1e-8L * std::max(1.0L, std::fabs(q[j]));
    Model up = q, down = q;
    up[j] += step, down[j] -= step;
    const Model gu = gradient(points, up, k), gd = gradient(points, down, k);
    for (int i = 0; i < k; ++i) h[i][j] = (gu[i] - gd[i]) / (2 * step);
  }
  for (int i = 0; i < k; ++i) h[i][k] = -g[i];
  for (int c = 0; c < k; ++c) {
    int pivot = c;
    for (int i = c + 1; i < k; ++i)
      if (std::fabs(h[i][c]) > std::fabs(h[pivot][c])) pivot = i;
    if (h[pivot][c] == 0) return std::nullopt;
    std::swap(h[c], h[pivot]);
    for (int i = c + 1; i < k; ++i)
      for (int j = k; j >= c; --j) h[i][j] -= h[i][c] / h[c][c] * h[c][j];
  }
  Model step{};
  for (int i = k - 1; i >= 0; --i) {
    long double sum = h[i][k];
    for (int j = i + 1; j < k; ++j) sum -= h[i][j] * step[j];
    step[i] = sum / h[i][i];
  }
  return step;
}

// The stationary point of the sum nearest the program's parameters, by Newton steps in long double
// until a step is below 1e-17 relative or stops shrinking below 1e-13 (its rounding); nothing when
// the steps stop shrinking before (a curve the points do not determine, which no solve can check).
std::optional<Model> polished(const std::vector<Model_Point>& points, const Logistic& curve) {
  Model q = {curve.A, curve.B, curve.C, curve.D, curve.G};
  long double previous = HUGE_VALL;
  for (int iteration = 0; iteration < 30; ++iteration) {
    const auto step = newton_step(points, q, curve.parameters());
    if (!step) return std::nullopt;
    long double size = 0;
    for (int j = 0; j < curve.parameters(); ++j) {
      size = std::max(size, std::fabs((*step)[j]) / std::max(1.0L, std::fabs(q[j])));
      q[j] += (*step)[j];
    }
    if (size < 1e-17L) return q;
    if (!(size < previous / 2)) return size < 1e-13L ? std::optional(q) : std::nullopt;  // at its rounding
    previous = size;
  }
  return std::nullopt;
}

}  // namespace

std::string model_fit_shortfall(const std::vector<Model_Point>& points, const Logistic_Fit& fit, double relative) {
  const auto values = fit.curve.values();
  for (int i = 0; i < fit.curve.parameters(); ++i)
    if (!fit.available || !(fit.error[i] < std::fabs(values[i]))) return "";  // a curve its points do not determine
  const std::optional<Model> best_fit = polished(points, fit.curve);
  if (!best_fit) return "";
  const Model& q = *best_fit;
  double lowest = HUGE_VAL, highest = 0;
  for (const Model_Point& p : points)
    if (p.x > 0) lowest = std::min(lowest, p.x), highest = std::max(highest, p.x);
  for (const double best : {lowest / 10, lowest, std::sqrt(lowest * highest), highest, highest * 10}) {
    const long double p = model_value(q, best, nullptr);
    const std::optional<double> read = fit.curve.concentration(static_cast<double>(p));
    const long double t = (p - q[3]) / (q[0] - q[3]);
    if (!(t > 1e-3L && t < 1 - 1e-3L)) continue;  // nearer an asymptote the reading magnifies any rounding
    const long double off = read ? std::fabs(*read - best) / best : HUGE_VALL;
    if (!(off <= relative))
      return model_name(fit.curve.kind) + " at " + figures(double(t), 3) + " of the way from D to A: read " +
             (read ? figures(*read, 15) : std::string("nothing")) + ", least squares " + figures(double(best), 15) +
             " (" + figures(double(off), 3) + " relative)";
  }
  return "";
}

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
