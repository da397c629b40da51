#include "engine/least_squares.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace quorin {

namespace {

using Real = long double;

// The triangle R of the QR of the rows sqrt(w) (1, x, .., x^degree | y) of the points that carry
// weight, with Q'y beside it in column degree + 1; nullopt when R is singular.
std::optional<std::vector<std::array<Real, 5>>> triangle(std::span<const double> x, std::span<const double> y,
                                                         std::span<const double> w, int degree) {
  const int columns = degree + 1;
  std::vector<std::array<Real, 5>> rows;
  rows.reserve(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (!(w[i] > 0)) continue;
    const Real root_w = std::sqrt(static_cast<Real>(w[i]));
    std::array<Real, 5> row{};
    Real power = 1;
    for (int k = 0; k < columns; ++k, power *= x[i]) row[k] = root_w * power;
    row[columns] = y.empty() ? 0 : root_w * y[i];
    rows.push_back(row);
  }
  const std::size_t m = rows.size();
  if (m < static_cast<std::size_t>(columns)) return std::nullopt;

  // Householder reflections column by column; the right-hand side is carried along.
  std::vector<Real> v(m);
  for (int k = 0; k < columns; ++k) {
    Real norm = 0;
    for (std::size_t i = k; i < m; ++i) norm += rows[i][k] * rows[i][k];
    norm = std::sqrt(norm);
    if (norm == 0) return std::nullopt;
    const Real alpha = rows[k][k] > 0 ? -norm : norm;
    for (std::size_t i = k; i < m; ++i) v[i] = rows[i][k];
    v[k] -= alpha;
    Real v_norm_sq = 0;
    for (std::size_t i = k; i < m; ++i) v_norm_sq += v[i] * v[i];
    if (v_norm_sq == 0) continue;
    for (int j = k; j <= columns; ++j) {
      Real dot = 0;
      for (std::size_t i = k; i < m; ++i) dot += v[i] * rows[i][j];
      const Real factor = 2 * dot / v_norm_sq;
      for (std::size_t i = k; i < m; ++i) rows[i][j] -= factor * v[i];
    }
  }
  for (int k = 0; k < columns; ++k)
    if (rows[k][k] == 0) return std::nullopt;
  rows.resize(static_cast<std::size_t>(columns));
  return rows;
}

}  // namespace

std::optional<std::array<double, 4>> weighted_polynomial_fit(std::span<const double> x, std::span<const double> y,
                                                             std::span<const double> w, int degree) {
  const auto r = triangle(x, y, w, degree);
  if (!r) return std::nullopt;
  // Back substitution on the triangle R c = Q^T y.
  const int columns = degree + 1;
  std::array<Real, 4> c{};
  for (int k = columns - 1; k >= 0; --k) {
    Real value = (*r)[k][columns];
    for (int j = k + 1; j < columns; ++j) value -= (*r)[k][j] * c[j];
    c[k] = value / (*r)[k][k];
  }
  std::array<double, 4> result{};
  for (int k = 0; k < columns; ++k) {
    result[k] = static_cast<double>(c[k]);
    if (!std::isfinite(result[k])) return std::nullopt;
  }
  return result;
}

std::optional<std::array<double, 16>> weighted_polynomial_inverse(std::span<const double> x, std::span<const double> w,
                                                                  int degree) {
  const auto r = triangle(x, {}, w, degree);
  if (!r) return std::nullopt;
  // S = R^-1, upper triangular, column by column; then (X'WX)^-1 = S S'.
  const int columns = degree + 1;
  Real s[4][4] = {};
  for (int j = 0; j < columns; ++j) {
    s[j][j] = 1 / (*r)[j][j];
    for (int i = j - 1; i >= 0; --i) {
      Real sum = 0;
      for (int k = i + 1; k <= j; ++k) sum += (*r)[i][k] * s[k][j];
      s[i][j] = -sum / (*r)[i][i];
    }
  }
  std::array<double, 16> inverse{};
  for (int i = 0; i < columns; ++i)
    for (int j = 0; j < columns; ++j) {
      Real sum = 0;
      for (int k = std::max(i, j); k < columns; ++k) sum += s[i][k] * s[j][k];
      inverse[static_cast<std::size_t>(i * columns + j)] = static_cast<double>(sum);
      if (!std::isfinite(inverse[static_cast<std::size_t>(i * columns + j)])) return std::nullopt;
    }
  return inverse;
}

}  // namespace quorin
