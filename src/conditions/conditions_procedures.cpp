// The conditions screen's part of the navigation: its maker. Condition_Load lives with the
// condition file, Set_PRT with the printout.
#include "conditions/reg_set.h"
#include "state/screen_procedures.h"

namespace quorin {

std::unique_ptr<ui::Form> Make_Reg_Set(Program& program) { return std::make_unique<Reg_Set>(program); }

}  // namespace quorin
