#pragma once
// The precision profile of an assay: how the concentration CV of its replicated samples
// depends on the concentration, fitted as ln CV = alpha + beta ln x + gamma (ln x)^2 by least
// squares, and the working range where the fitted CV stays at or below a limit, within the
// standards. The fit is not trusted beyond the samples it was made from: the working range is
// also held between the lowest and the highest replicated sample.

#include <string>
#include <utility>
#include <vector>

#include "engine/assay_state.h"

namespace quorin::qc {

inline constexpr int Min_Profile_Samples = 5;
inline constexpr double Default_CV_Limit = 10;  // percent

struct Profile_Point {
  Long sample = 0;
  double concentration = 0;  // mean concentration of the usable tubes
  double cv = 0;             // concentration CV, percent
};

struct Precision_Profile {
  std::vector<Profile_Point> points;  // samples with 2 or more usable tubes and a CV above 0
  bool fitted = false;                // enough points at 3 or more concentrations, and the fit succeeded
  double alpha = 0, beta = 0, gamma = 0;
  double cv_limit = Default_CV_Limit;
  double standard_low = 0, standard_high = 0;  // the lowest and highest standard (0 when none)
  double range_low = 0, range_high = 0;        // where a working range may lie: standards and samples
  // The concentrations from range_low to range_high where the fitted CV is at or below the
  // limit, as separate stretches in increasing order (usually one).
  std::vector<std::pair<double, double>> working_ranges;

  // The fitted CV at concentration x (> 0).
  double fitted_cv(double x) const;
};

// The profile of the samples' results as the program computed them (Sample_Conc, Sample_Data).
Precision_Profile precision_profile(const Assay_State& state, double cv_limit);

// A concentration with three significant digits ("1.20", "48.0", "0.0500"), and a limit without
// needless zeros ("10", "7.5").
std::string concentration_text(double value);
std::string limit_text(double limit);

// One line: "精度プロファイル: 測定範囲 (CV ≤ 10 %) 1.20 ～ 48.0 μg/dL", or why there is none.
std::string profile_summary(const Precision_Profile& profile, const std::string& unit);

}  // namespace quorin::qc
