#pragma once

namespace quorin {

class Program;

// The guided road from a condition file and a count data file to the control-serum table, with
// a message before each step; a cancelled file dialog interrupts it.
void Run_Wizard(Program& program);

}  // namespace quorin
