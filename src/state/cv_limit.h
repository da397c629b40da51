#pragma once
// The concentration CV above which a control serum or sample is flagged, and against which the
// precision profile gives its working range: one value of the assay (Flag_CV_Limit), typed into
// the results screen's or the profile's "CV の上限 (%)", each box showing it as it stands.

#include <string>

namespace quorin {

class Program;

// Takes a typed limit: refused, with the reason told and nothing changed, unless it is a number
// above 0 and at most 100. True when the limit in force is the typed one.
bool Commit_CV_Limit(Program& program, const std::string& typed);

// The limit in force as its boxes show it ("10", "7.5").
std::string cv_limit_text(const Program& program);

}  // namespace quorin
