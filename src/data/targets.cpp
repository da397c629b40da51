// The data sheet's part of the navigation; filled as the data sheet is built.
#include "curve/fit_choice.h"
#include "data/samples.h"
#include "data/treatment_standard.h"
#include "state/program.h"
#include "state/targets.h"
#include "state/work_screen.h"

namespace quorin {

std::unique_ptr<ui::Form> Make_Reg_Data(Program&) { return std::make_unique<Work_Screen>("データ入力", 5760, 8040); }
void Cell_Set(Program&) {}
void Data_Load(Program&) {}
void Data_PRT(Program&) {}
void Run_Treatment_Standard(Program& program) { Treatment_Standard(program.state); }

bool Run_Control_Sera(Program& program) {
  if (Control_Sera(program.state)) return true;
  program.platform.message(selected_fit_unavailable_message(program.state));
  return false;
}

bool Run_Assay_Samples(Program& program) {
  if (Assay_Samples(program.state)) return true;
  program.platform.message(selected_fit_unavailable_message(program.state));
  return false;
}

}  // namespace quorin
