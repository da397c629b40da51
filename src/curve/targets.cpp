// The standard-curve screen's part of the navigation; filled as the curve screen is built.
#include "curve/fit_choice.h"
#include "curve/fitness.h"
#include "state/program.h"
#include "state/targets.h"
#include "state/work_screen.h"

namespace quorin {

std::unique_ptr<ui::Form> Make_Reg_Graph(Program&) { return std::make_unique<Work_Screen>("検量線表示", 12360, 8115); }
void Standard_Plotting(Program&) {}
void Show_Fitted_Curves(Program&) {}
void Wizard_Show_Curves(Program&) {}
void Graph_PRT(Program&) {}
bool Run_Fitness_Examination(Program& program) {
  if (Fitness_Examination(program.state)) return true;
  program.platform.message(selected_fit_unavailable_message(program.state));
  return false;
}

}  // namespace quorin
