#pragma once
// The computation behind a result table, brought up to date with the state in force before the
// table is shown, printed or saved: run when anything it depends on has changed since it last
// ran, skipped otherwise. False, after telling the user why, when it cannot be: the curve was
// fitted to other standards or another range than those in force (or never), the chosen fit is
// not available, or (samples) there is no dilution factor.

#include "results/result_table.h"

namespace quorin {

class Program;

bool Bring_Table_Up_To_Date(Program& program, Result_Kind kind);

}  // namespace quorin
