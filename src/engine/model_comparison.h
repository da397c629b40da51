#pragma once
// The three curves of the model screen on one footing: the logit-log fit chosen on the curve
// screen, the 4PL and the 5PL, each judged on the same standard tubes, with the same weights and
// on the same response scale (B/B0 in percent): residual sum of squares, s, AIC, ED50, the
// recovery of every standard of the fit range, an ED table and the detection limits.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "engine/logistic_fit.h"
#include "engine/assay_state.h"

namespace quorin {

// The recovery 100 x^/x of one standard: x^ read off the curve at the response of the standard's
// mean count; nullopt when the curve gives that response no concentration.
struct Recovery {
  int standard = 0;
  std::optional<double> percent;
};

struct Model_Column {
  int kind = Logit_Log;
  bool available = false;
  std::string problem;                 // why not available
  std::string heading;                 // "ロジット・ログ 重無1次", "4PL", "5PL"
  int parameters = 0;                  // k: 2 or 4 for the logit-log line or cubic, 4 or 5 for the models
  Logistic_Fit fit;                    // the 4PL or 5PL and its standard errors; n, rss, s, aic for every column
  std::array<double, 4> polynomial{};  // the logit-log fit's a0..a3 (a line as a, b, 0, 0)
  double ed50 = 0;                     // 0 when the curve has none
  std::vector<Recovery> recoveries;
  // Indexed like the ED grid of the curve screen: row r = 1..101 is the response 101 - r percent.
  std::array<std::optional<double>, 102> ed{};
  std::array<std::optional<double>, 4> detection{};  // 1..3 SD below the zero standard
  // The standard whose recovery lies farthest from 100 %, one without a recovery first; nullopt
  // without standards.
  std::optional<Recovery> worst() const;
  // The curve's response at concentration x, in percent (logit_log_response for the logit-log).
  double response(double x) const;
};

struct Model_Comparison {
  int weighting = 0;
  std::string problem;                            // why no model can be fitted at all, "" otherwise
  std::vector<Model_Point> points;                // the standard tubes every column is judged on
  std::array<Model_Column, Model_Kinds> columns;  // indexed by Curve_Model_Kind
};

// Fits the 4PL and 5PL with `weighting` and judges them and the logit-log fit chosen on the
// curve screen (Weight_Type, Reg_Order) on the same points. Leaves the chosen logit-log fit
// current in Reg_Work, as every solving outside the curve drawing expects.
Model_Comparison compare_models(Assay_State& state, int weighting);

}  // namespace quorin
