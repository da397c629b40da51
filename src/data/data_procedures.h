#pragma once
// The data sheet's procedures, as the navigation runs them.
#include <memory>
#include "ui/form.h"

namespace quorin {

class Program;

std::unique_ptr<ui::Form> Make_Reg_Data(Program& program);

// Data sheet (loaded by the caller): rebuild the sheet and its scratch file; load a count data file;
// print the sheet.
void Cell_Set(Program& program);
void Data_Load(Program& program);
void Data_PRT(Program& program);

// The standard treatment, run afresh before the standard plot and the fitted curves.
void Run_Treatment_Standard(Program& program);

}  // namespace quorin
