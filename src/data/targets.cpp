// The data sheet's part of the navigation; filled as the data sheet is built.
#include "state/program.h"
#include "state/targets.h"
#include "state/work_screen.h"

namespace quorin {

std::unique_ptr<ui::Form> Make_Reg_Data(Program&) { return std::make_unique<Work_Screen>("データ入力", 5760, 8040); }
void Cell_Set(Program&) {}
void Data_Load(Program&) {}
void Data_PRT(Program&) {}
void Run_Treatment_Standard(Program&) {}
void Run_Control_Sera(Program&) {}
void Run_Assay_Samples(Program&) {}

}  // namespace quorin
