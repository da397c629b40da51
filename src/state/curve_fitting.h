#pragma once
// The eight logit-log fits over the range in force, as the curve screen draws them and the
// command line computes them: the standards treated afresh (their counts may have changed since
// the standard plot), the regression, the curve's revision and the weighting comparison.

#include <memory>
#include <string>
#include <vector>

#include "engine/assay_state.h"
#include "engine/weight_table.h"

namespace quorin {

struct Curve_Fitting {
  std::string refusal;                  // why the standards cannot be plotted: nothing was fitted
  std::vector<std::string> problems;    // the fits that could not be computed, the curve's shape
                                        // and a chosen fit that is not available, in that order
  std::unique_ptr<Weight_Grids> grids;  // the weighting comparison, when fitted
};

Curve_Fitting Fit_Curves(Assay_State& state);

// One box for all the problems of a fitting; the same box is not told again while the user
// refits the same standards (forget() when the standard plot is drawn anew).
class Fit_Report {
 public:
  // The text to tell now, or "" when there is nothing new.
  std::string next(const std::vector<std::string>& problems);
  void forget() { last_.clear(); }

 private:
  std::string last_;
};

}  // namespace quorin
