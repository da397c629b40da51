#include "engine/least_squares.h"

#include <cmath>
#include <vector>

namespace quorin {

std::optional<std::array<double, 4>> weighted_polynomial_fit(std::span<const double> x, std::span<const double> y,
                                                             std::span<const double> w, int degree) {
  using Real = long double;
  const int columns = degree + 1;
  // Rows [sqrt(w) x^0 .. sqrt(w) x^degree | sqrt(w) y] of the points that carry weight.
  std::vector<std::array<Real, 5>> rows;
  rows.reserve(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (!(w[i] > 0)) continue;
    const Real root_w = std::sqrt(static_cast<Real>(w[i]));
    std::array<Real, 5> row{};
    Real power = 1;
    for (int k = 0; k < columns; ++k, power *= x[i]) row[k] = root_w * power;
    row[columns] = root_w * y[i];
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

  // Back substitution on the triangle R c = Q^T y.
  std::array<Real, 4> c{};
  for (int k = columns - 1; k >= 0; --k) {
    if (rows[k][k] == 0) return std::nullopt;
    Real value = rows[k][columns];
    for (int j = k + 1; j < columns; ++j) value -= rows[k][j] * c[j];
    c[k] = value / rows[k][k];
  }
  std::array<double, 4> result{};
  for (int k = 0; k < columns; ++k) {
    result[k] = static_cast<double>(c[k]);
    if (!std::isfinite(result[k])) return std::nullopt;
  }
  return result;
}

}  // namespace quorin
