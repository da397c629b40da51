#pragma once
// The conditions screen's procedures, as the navigation runs them.
#include <memory>
#include "ui/form.h"

namespace quorin {

class Program;
class Reg_Set;

std::unique_ptr<ui::Form> Make_Reg_Set(Program& program);

// The print procedures (X_PRT) each run one print job and tell the user how it ended.

// Conditions screen: load a condition file (a cancelled dialog or a refused file changes nothing
// but stopping the wizard; a file read closes the data sheet first); print the conditions; commit every box whose text
// has changed since its last commit, unless the user is still typing in it (run after every
// event, so that a box changed with the mouse alone, or left by turning to another window, is
// in force before anything uses the conditions).
void Condition_Load(Program& program);
void Set_PRT(Program& program);
void Commit_Changed_Conditions(Program& program);

// Asks for a file name and writes the screen's boxes to it. A text that code page 932 cannot
// hold, or a failed write, is reported and leaves any earlier file as it was.
void Condition_Save(Program& program, const Reg_Set& screen);

}  // namespace quorin
