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
  if (value == 0) return;
  // Powers of two rescale exactly: the sums are those of the plain values, only kept in range.
  const int exponent = std::ilogb(value) + 1;
  if (!scaled_ || exponent > scale_) {
    if (scaled_) {
      sum_ = std::ldexp(sum_, scale_ - exponent);
      sum_sq_ = std::ldexp(sum_sq_, 2 * (scale_ - exponent));
    }
    scale_ = exponent;
    scaled_ = true;
  }
  const double unit = std::ldexp(value, -scale_);
  sum_ += unit;
  sum_sq_ += unit * unit;
}

}  // namespace quorin
