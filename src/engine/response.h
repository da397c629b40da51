#pragma once
// The response of one tube and the statistics of a group of tubes, as every computation of the
// standard curve, the standards, the control sera and the samples takes them.

#include <cmath>
#include <optional>

namespace quorin {

// B/B0 in percent of a count: (count - nsb) / (b0 - nsb) * 100, with the NSB mean subtracted
// from both; 0 when the two means are equal.
inline double tube_percent(double count, double nsb, double b0) {
  if (b0 == nsb) return 0;
  return (count - nsb) / (b0 - nsb) * 100;
}

// A percentage at or above `high` becomes `high`, otherwise one at or below `low` becomes `low`:
// 99.5 / 0.5 for the control sera, 99 / 1 for the read-back of the standards and the detection
// limits.
inline double clamp_percent(double percent, double low, double high) {
  if (percent >= high) return high;
  if (percent <= low) return low;
  return percent;
}

// The standards' rule: only a B/B0 at or above 100 % (becoming 99.5) or at or below 0 % (becoming
// 0.5) is moved; values between 0 and 0.5 or 99.5 and 100 stay as they are.
inline double clamp_standard_percent(double percent) {
  if (percent >= 100) return 99.5;
  if (percent <= 0) return 0.5;
  return percent;
}

// ln(P / (100 - P)), natural logarithm, for 0 < P < 100.
double logit(double percent);

// The concentration e^x of a solver answer x = ln(concentration); nullopt when x is above 700
// (or not a number), where e^x is beyond what the program can show or store.
std::optional<double> concentration_of(double x);

// SD / mean * 100 of n values given their sum and sum of squares, with the mean = sum / n and
// SD = sqrt(|(sum_sq - sum^2 / n) / (n - 1)|) (the absolute value absorbs a rounding-negative
// sum of squared deviations); 0 when n < 2 or the mean is 0.
double cv_percent(double sum, double sum_sq, int n);

// Count, mean, spread and CV of the values added one by one. The sums are kept in units of a
// power of two near the largest magnitude added, so that the squares of concentrations up to
// e^700 do not overflow (nor those of tiny values vanish) and the CV stays a number.
struct Running_Stats {
  int n = 0;
  double smallest = 0;
  double largest = 0;

  void add(double value);
  double mean() const { return n == 0 ? 0 : std::ldexp(sum_ / n, scale_); }
  double spread() const { return largest - smallest; }
  double cv() const { return cv_percent(sum_, sum_sq_, n); }

 private:
  int scale_ = 0;           // the sums are in units of 2^scale_
  bool scaled_ = false;     // scale_ was set by a nonzero value
  double unit_factor_ = 0;  // 2^-scale_, or 0 where that is no normal double
  double sum_ = 0;
  double sum_sq_ = 0;
};

}  // namespace quorin
