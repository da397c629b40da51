#include "curve/response.h"

#include <cmath>

namespace quorin {

double logit(double percent) { return std::log(percent / (100 - percent)); }

std::optional<double> concentration_of(double x) {
  if (!(x <= 700)) return std::nullopt;
  return std::exp(x);
}

double cv_percent(double sum, double sum_sq, int n) {
  if (n < 2) return 0;
  const double mean = sum / n;
  if (mean == 0) return 0;
  const double sd = std::sqrt(std::fabs((sum_sq - sum * sum / n) / (n - 1)));
  return sd / mean * 100;
}

void Running_Stats::add(double value) {
  if (n == 0) {
    smallest = value;
    largest = value;
  } else if (value < smallest) {
    smallest = value;
  } else if (value > largest) {
    largest = value;
  }
  ++n;
  sum += value;
  sum_sq += value * value;
}

}  // namespace quorin
