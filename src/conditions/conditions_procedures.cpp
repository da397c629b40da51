// The conditions screen's part of the navigation: its maker and the commit after every event.
// Condition_Load lives with the condition file, Set_PRT with the printout.
#include "conditions/conditions_procedures.h"
#include "conditions/reg_set.h"
#include "state/program.h"

namespace quorin {

std::unique_ptr<ui::Form> Make_Reg_Set(Program& program) { return std::make_unique<Reg_Set>(program); }

void Commit_Changed_Conditions(Program& program) {
  if (auto* screen = program.screen_as<Reg_Set>(Screen::Conditions)) screen->commit_changed();
}

}  // namespace quorin
