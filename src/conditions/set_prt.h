#pragma once
// The conditions printout's page (Set_PRT, the screen's print job, is declared with the
// screen's procedures in conditions/conditions_procedures.h).

#include "ui/printer.h"

namespace quorin {

class Program;

// Prints the conditions screen's boxes as shown: one page.
void print_conditions(Program& program, ui::Printer& printer);

}  // namespace quorin
