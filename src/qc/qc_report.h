#pragma once
// The pages of the control-serum history and of the precision profile in a report of the whole
// assay, and the profile's one line for a run without screens.

#include <string>

#include "ui/printer.h"

namespace quorin {
class Program;
}

namespace quorin::qc {

// The precision profile of the assay's samples (as last computed), with the default CV limit.
void Profile_Report_Page(Program& program, ui::Printer& printer);

// One Levey-Jennings page per control serum of the assay, each ending with the assay's own run;
// nothing when the program keeps no history.
void QC_Report_Pages(Program& program, ui::Printer& printer);
long QC_Report_Page_Count(Program& program);

// "精度プロファイル: 測定範囲 (CV ≤ 10 %) 1.20 ～ 48.0 μg/dL", or why there is none.
std::string profile_line(const Program& program);

}  // namespace quorin::qc
