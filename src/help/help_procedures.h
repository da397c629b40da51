#pragma once
// The help screen, as the navigation makes it.
#include <memory>
#include "engine/assay_state.h"
#include "ui/form.h"

namespace quorin {

class Program;

std::unique_ptr<ui::Form> Make_Reg_Help(Program& program);

// Shows the help screen open on the topic of the screen it was asked from.
void Show_Help(Program& program, Screen from);

}  // namespace quorin
