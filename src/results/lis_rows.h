#pragma once
// The samples' results as the LIS receives them, made from the result exports' rows so that a
// message carries exactly what the CSV file writes: the identifier, the dilution-corrected value,
// the flags, the unit, substance, assay number and date, and the value's 95 % interval.

#include <string>
#include <vector>

#include "engine/assay_state.h"
#include "lis/lis_result.h"
#include "lis/oru_message.h"

namespace quorin {

// The mark of an interval that rests on an assumption rather than on the fit's variance model.
inline constexpr const char* Assumed_Interval_Mark = "(標準点のばらつきから推定)";

struct LIS_Rows {
  std::vector<lis::LIS_Result> results;  // one per sample with an identifier, in number order
  long left_out = 0;                     // samples without an identifier, which are not sent
  // Their messages once made (a batch run's --hl7 writes and --lis sends these very bytes).
  std::vector<lis::Outgoing> messages;
};

// From the tables as last computed (they must be current).
LIS_Rows lis_rows(const Assay_State& state);

// "ID のないサンプル 3 件は LIS に送りません"; "" when none was left out.
std::string left_out_text(long left_out);

}  // namespace quorin
