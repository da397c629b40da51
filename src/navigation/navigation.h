#pragma once
// The shared dispatcher of the four work screens and the button-state rule, above the screens
// they run.

#include "state/commands.h"

namespace quorin {

class Program;

// Runs the request `target` of the screen in Screen_No (or the wizard while it runs).
void Command_Exec(Program& program, int target);

// Enables or disables buttons 0..11 of Active_Screen by how complete the assay is, and closes
// the screens that can no longer be shown.
void Command_Enable(Program& program);

}  // namespace quorin
