// The results screen's part of the navigation.
#include "results/results_procedures.h"
#include "qc/qc_procedures.h"
#include "results/reg_result.h"
#include "state/program.h"

namespace quorin {

std::unique_ptr<ui::Form> Make_Reg_Result(Program& program) { return std::make_unique<Reg_Result>(program); }

static void show_table(Program& program, Result_Kind kind) {
  if (auto* screen = program.screen_as<Reg_Result>(Screen::Result)) screen->show_table(kind);
}

void Standard_Disp(Program& program) { show_table(program, Result_Kind::Standard_Data); }
void STDCONC_Disp(Program& program) { show_table(program, Result_Kind::Standard_Conc); }
// The control sera are judged against the history as their table opens.
void Sera_Disp(Program& program) {
  show_table(program, Result_Kind::Sera);
  QC_Verdict_Disp(program);
}
void Sample_Disp(Program& program) { show_table(program, Result_Kind::Sample); }

void Check_Result_Table(Program& program) {
  if (auto* screen = program.screen_as<Reg_Result>(Screen::Result)) screen->check_table();
}

}  // namespace quorin
