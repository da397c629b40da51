#pragma once
// The model comparison as a table of texts, one column per curve (the chosen logit-log fit, the
// 4PL, the 5PL), as the model screen shows it and the model printout prints it.

#include <array>
#include <string>
#include <vector>

#include "engine/model_comparison.h"

namespace quorin {

using Model_Row = std::array<std::string, 1 + Model_Kinds>;  // heading, then one cell per curve

// Row 0 the column headings; then A, B, C, D, G (value ± standard error), ED50, RSS, s, AIC,
// the number of points, the worst recovery and the recovery of every standard of the range, the
// three detection limits and, with `ed_rows`, the ED values at the responses 100 % down to 0 %
// (without, at 90 % down to 10 % in steps of 10). A value a curve does not have reads "―".
std::vector<Model_Row> model_table(const Model_Comparison& comparison, bool ed_rows);

// Why curves are not available, one line each; "" when all three are.
std::string model_problems(const Model_Comparison& comparison);

}  // namespace quorin
