// The standard-curve screen's part of the navigation; filled as the curve screen is built.
#include "state/program.h"
#include "state/targets.h"
#include "state/work_screen.h"

namespace quorin {

std::unique_ptr<ui::Form> Make_Reg_Graph(Program&) { return std::make_unique<Work_Screen>("検量線表示", 12360, 8115); }
void Standard_Plotting(Program&) {}
void Show_Fitted_Curves(Program&) {}
void Wizard_Show_Curves(Program&) {}
void Graph_PRT(Program&) {}
void Run_Fitness_Examination(Program&) {}

}  // namespace quorin
