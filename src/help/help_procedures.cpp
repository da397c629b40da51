// The help screen's part of the navigation.
#include "help/help_procedures.h"
#include "help/reg_help.h"
#include "state/program.h"

namespace quorin {

std::unique_ptr<ui::Form> Make_Reg_Help(Program& program) { return std::make_unique<Reg_Help>(program); }

void Show_Help(Program& program, Screen from) {
  program.show(Screen::Help);
  if (auto* help = program.screen_as<Reg_Help>(Screen::Help)) help->open_on(from);
}

}  // namespace quorin
