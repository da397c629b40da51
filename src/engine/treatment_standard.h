#pragma once
// The treatment of the standards: per group of tubes (1 NSB, 2 TOTAL, 3 zero standard, 3 + k
// standard k) the usable tubes, the mean count, its CV, B/B0 and, for the standards, its logit.

#include <string>

#include "engine/assay_state.h"

namespace quorin {

// Writes STD_Tube_N (the leading nonzero counts of each group: counting stops at the first
// empty tube) and STD_Data columns 1 (mean), 2 (CV %), 3 (B/B0 % with the NSB mean subtracted,
// groups 3 and above) and 8 (logit of B/B0, standards only). A group without usable tubes gets
// 0 in its columns 1..3 (no figure of an earlier count file survives). A standard's B/B0 at or
// above 100 % becomes 99.5, one at or below 0 % becomes 0.5 (stored so) before the logit; the zero
// standard is not clamped. Never divides by zero; shows no message.
void Treatment_Standard(Assay_State& state);

// B/B0 exists only while the zero standard's mean count lies above the NSB mean (column 1 of
// rows 3 and 1): otherwise every B/B0, and all that is read off a curve of them, is undefined.
bool response_defined(const Assay_State& state);
// Why it does not, naming both means; "" when it does.
std::string response_problem(const Assay_State& state);

}  // namespace quorin
