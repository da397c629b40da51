#include "navigation/wizard.h"

#include "engine/completeness.h"

#include "conditions/conditions_procedures.h"
#include "data/data_procedures.h"
#include "graph/graph_procedures.h"
#include "navigation/navigation.h"
#include "results/results_procedures.h"
#include "state/current_results.h"
#include "state/program.h"

namespace quorin {

namespace {
void interrupted(Program& program) { program.platform.message("ウィザードは中断されました"); }
}  // namespace

void Run_Wizard(Program& program) {
  Assay_State& state = program.state;
  ui::Platform& platform = program.platform;

  // The road replaces the conditions and the counts.
  if (!May_Discard_Count_Edits(program)) {
    state.Wizard_Mode = Wizard::Idle;
    return interrupted(program);
  }
  platform.message("保存された条件設定を読み込みます");
  Condition_Load(program);
  if (state.Wizard_Mode == Wizard::Idle) return interrupted(program);

  platform.message("データ表示画面を表示します");
  // The sheet shows the conditions' rows even when the count file that follows is refused.
  program.load(Screen::Data);
  Cell_Set(program);
  program.show(Screen::Data);
  platform.message("保存されたデータを読み込みます");
  Data_Load(program);
  if (state.Wizard_Mode == Wizard::Idle) return interrupted(program);

  // The road goes on to the curve only with every standard entered and measured.
  if (assay_completeness(state) != Completeness::Complete) {
    platform.message("スタンダードの濃度または測定値が揃っていないため、検量線を表示できません");
    state.Wizard_Mode = Wizard::Idle;
    return interrupted(program);
  }

  Run_Treatment_Standard(program);
  platform.message("ＳＴＤ　ＰＬＯＴを表示します");
  program.load(Screen::Graph);
  Standard_Plotting(program);
  // Standards that cannot be plotted have been reported; the road ends there.
  if (state.Plot_Stage != Curve_Stage::Standard_Plot) {
    state.Wizard_Mode = Wizard::Idle;
    return interrupted(program);
  }
  program.show(Screen::Graph);

  platform.message("検量線を表示します");
  Wizard_Show_Curves(program);
  // A curve that cannot be fitted has been reported; the road ends there.
  if (state.Wizard_Mode == Wizard::Idle) return interrupted(program);
  if (!Run_Control_Sera(program)) {
    state.Wizard_Mode = Wizard::Idle;
    return interrupted(program);
  }

  platform.message("測定結果表示を行います");
  program.show(Screen::Result);
  Sera_Disp(program);

  platform.message("ウィザードを終了します");
  state.Wizard_Mode = Wizard::Idle;
}

}  // namespace quorin
