#pragma once
// The computation behind a result table, brought up to date with the state in force before the
// table is shown, printed or saved: run when anything it depends on has changed since it last
// ran, skipped otherwise. False, after telling the user why, when it cannot be: the curve was
// fitted to other standards or another range than those in force (or never), the chosen fit is
// not available, or (samples) there is no dilution factor.

#include "engine/result_kind.h"

namespace quorin {

class Program;

bool Bring_Table_Up_To_Date(Program& program, Result_Kind kind);

// The computations run before the tables and plots. The three that read concentrations off the curve run only when
// something they depend on has changed since they last ran (state/basis.h), so that showing, printing and saving their
// tables costs nothing more; they return false, after telling the user why, when the curve was
// fitted to other standards than those in force, the selected fit cannot be used, or (for the
// samples) there is no dilution factor: nothing is then changed and no table is shown.
bool Run_Fitness_Examination(Program& program);
bool Run_Control_Sera(Program& program);
bool Run_Assay_Samples(Program& program);

}  // namespace quorin
