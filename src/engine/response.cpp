#include "engine/response.h"

#include <bit>
#include <cmath>
#include <cstdint>

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

namespace {

// std::ilogb, read straight from the bits of a normal value.
int binary_exponent(double value) {
  const int biased = static_cast<int>((std::bit_cast<std::uint64_t>(value) >> 52) & 0x7FF);
  return biased != 0 && biased != 0x7FF ? biased - 1023 : std::ilogb(value);
}

}  // namespace

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
  const int exponent = binary_exponent(value) + 1;
  if (!scaled_ || exponent > scale_) {
    if (scaled_) {
      sum_ = std::ldexp(sum_, scale_ - exponent);
      sum_sq_ = std::ldexp(sum_sq_, 2 * (scale_ - exponent));
    }
    scale_ = exponent;
    scaled_ = true;
    // Multiplying by the power of two rounds as ldexp does, when the power is a double itself.
    unit_factor_ = scale_ > -1000 && scale_ < 1000 ? std::ldexp(1.0, -scale_) : 0;
  }
  const double unit = unit_factor_ != 0 ? value * unit_factor_ : std::ldexp(value, -scale_);
  sum_ += unit;
  sum_sq_ += unit * unit;
}

}  // namespace quorin
