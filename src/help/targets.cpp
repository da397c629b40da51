// The help screen's part of the navigation; filled as the help screen is built.
#include "state/program.h"
#include "state/targets.h"

namespace quorin {

std::unique_ptr<ui::Form> Make_Reg_Help(Program&) { return std::make_unique<ui::Form>("Help", 7065, 6900); }

}  // namespace quorin
