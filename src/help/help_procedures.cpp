// The help screen's part of the navigation.
#include "help/help_procedures.h"
#include "help/reg_help.h"
#include "state/program.h"

namespace quorin {

std::unique_ptr<ui::Form> Make_Reg_Help(Program& program) { return std::make_unique<Reg_Help>(program); }

}  // namespace quorin
