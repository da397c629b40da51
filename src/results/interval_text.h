#pragma once
// The 95 % interval of one item as the results screen and the result printout show it.

#include <optional>
#include <string>

#include "engine/concentration_interval.h"
#include "engine/result_kind.h"

namespace quorin {

// "95%区間 11.932 ～ 12.415", for a sample followed by its value's "(サンプル値 119.32 ～ 124.15)",
// and by "仮定: 標準点の散らばり" when the interval rests on that assumption; "" for none. The
// bounds take the decimals of the table's mean (and value) beside them.
std::string interval_text(Result_Kind kind, const std::optional<Concentration_Interval>& interval,
                          double dilution_factor);

}  // namespace quorin
