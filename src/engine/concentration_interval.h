#pragma once
// The 95 % interval of a concentration read off the curve in force: for each standard read back,
// control serum and sample, from the curve's parameter covariance and the item's own mean
// response, by the delta method on ln(concentration).
//
// The item's mean response r is the B/B0 of the mean count of its m usable tubes (for the
// logit-log fits its logit), and u = ln x the concentration read at r on the curve f(u; theta):
//   var(u) = (s^2 v(r) / m + g' C g) / f'(u)^2,   g = df/dtheta at u,   f'(u) = df/du at u,
//   bounds = exp(u -/+ t(0.975, n - k) sqrt(var(u))),
// where C = s^2 (J'WJ)^-1 is the fit's parameter covariance, s^2 its residual variance (weighted
// residual sum of squares over n - k), and s^2 v(r) the variance of one tube's response that the
// fit's weighting stands for at r (its weight at r being 1 / v(r)):
// - 4PL and 5PL, response B/B0 in percent, one point per standard tube:
//     no weighting v = 1; counting statistics v = the mean count (Poisson: a count's variance is
//     the count); constant CV v = r^2.
// - Logit-log fits, response the logit of B/B0, one point per standard (the logit of its mean
//   B/B0): a point's variance is that of one tube over the standard's tubes, so v carries the
//   harmonic mean h of the standards' tube numbers. With p the item's mean B/B0 as a fraction:
//     no weighting v = h (a constant variance in logit);
//     logit-transform correction v = h / (p (1 - p))^2: a constant variance of B/B0, which the
//     logit divides by (p (1 - p))^2;
//     distance to the standard points: no variance model, only each standard's own scatter. The
//     interval assumes that the item's tubes scatter as the standards' tubes do on average about
//     the curve: v = h mean(1 / D_i) over the standards of the fit (D_i their distance factors);
//     with the logit-transform correction as well, v = h mean(1 / D_i) / (p (1 - p))^2. Such
//     intervals are marked `assumed`.
//   A cubic answers only within its window (engine/solve.h); an item read on its weighting's line
//   takes the line's fit (C, s^2, n - 2).
// For the unweighted fits s^2 is the residual variance of the fit in its own scale (B/B0 percent
// for the 4PL and 5PL, logit for the logit-log fits). The NSB and zero-standard means that define
// B/B0 are taken as exact: standards and items share them, and the curve absorbs their error.
// The interval centres on the concentration read at the mean response, which for tubes that
// disagree may differ from the mean of the tubes' concentrations shown beside it.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "engine/assay_state.h"
#include "engine/result_curve.h"
#include "engine/result_flags.h"
#include "engine/result_kind.h"

namespace quorin {

// The two-sided level of every interval.
inline constexpr double Interval_Level = 0.95;

struct Concentration_Interval {
  double lower = 0;
  double upper = 0;
  // It rests on the assumption above rather than on a variance model of the weighting (a
  // logit-log fit weighted by the distance to the standard points): to be shown marked.
  bool assumed = false;
};

// The bounds of the dilution-corrected value: both bounds times the factor, as the value is.
Concentration_Interval diluted(const Concentration_Interval& interval, double factor);

// One fitted polynomial or model as the intervals need it: its parameter covariance C (row-major,
// 5 per row, the first `parameters` rows and columns used), s^2 and the quantile of Student's t
// with its residual degrees of freedom.
struct Curve_Spread {
  int parameters = 0;
  std::array<double, 25> covariance{};
  double variance = 0;
  int degrees_of_freedom = 0;
  double quantile = 0;
};

// What every interval of one curve in force shares, made once for it (a few microseconds; a 4PL
// or 5PL brings its covariance with it): the curve, the spread of the fit the read-off uses (for
// a cubic also its weighting's line, which answers outside the cubic's window), and the
// response-variance factors above.
struct Interval_Basis {
  std::string problem;  // why no item has an interval on this curve; "" when they may
  Curve_In_Force curve;
  Curve_Spread spread;           // the model, or the logit-log fit in force (the cubic when chosen)
  Curve_Spread line_spread;      // the logit-log line of the same weighting
  double tube_scale = 1;         // h mean(1 / D_i) or h for the logit-log fits, 1 for the models
  bool logit_corrected = false;  // v divides by (p (1 - p))^2
  bool assumed = false;
  double nsb = 0, b0 = 0;  // the mean counts B/B0 is taken from
};

// The basis of the curve in force, made from the state the curve was made from. The second form
// makes the curve in force from the state itself (a 4PL or 5PL is fitted afresh); without a curve
// its problem is the curve's refusal; the third takes the curve (or its refusal) made already.
Interval_Basis interval_basis(const Assay_State& state, const Curve_In_Force& curve);
Interval_Basis interval_basis(const Assay_State& state);
Interval_Basis interval_basis(const Assay_State& state, const Curve_Outcome& outcome);

// The interval of item `item` of a result table (standard i of the standard concentrations, a
// serum, a sample), whose flags (engine/result_flags.h, item_flags) are `flags`. None for an item
// flagged ">", "<" or "×", without a usable tube (counted and read above 0), whose mean response
// the curve cannot read, where the curve's slope there is zero, where the curve passes through its
// points exactly (no variance left to estimate its error), or whose upper bound lies beyond
// e^700; none for every item when the basis has a problem. A pure function of the state: rows may
// be computed on several threads at once.
std::optional<Concentration_Interval> item_interval(const Assay_State& state, const Interval_Basis& basis,
                                                    Result_Kind kind, Long item, unsigned flags);

// The intervals of every item of a table at once, item i at index i (index 0 unused), each
// judged by its flags against `limits`: for an export that writes every row. A large table is
// shared among the machine's cores.
std::vector<std::optional<Concentration_Interval>> table_intervals(const Assay_State& state,
                                                                   const Interval_Basis& basis, Result_Kind kind,
                                                                   const Flag_Limits& limits);

}  // namespace quorin
