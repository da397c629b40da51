// The results screen's part of the navigation; filled as the results screen is built.
#include "state/program.h"
#include "state/targets.h"
#include "state/work_screen.h"

namespace quorin {

std::unique_ptr<ui::Form> Make_Reg_Result(Program&) { return std::make_unique<Work_Screen>("測定結果", 11880, 8280); }
void Standard_Disp(Program&) {}
void STDCONC_Disp(Program&) {}
void Sera_Disp(Program&) {}
void Sample_Disp(Program&) {}
void Result_Output(Program&) {}
void Result_PRT(Program&) {}

}  // namespace quorin
