#include "navigation/navigation.h"

#include "engine/completeness.h"
#include "engine/result_curve.h"

#include "conditions/conditions_procedures.h"
#include "data/data_procedures.h"
#include "graph/graph_procedures.h"
#include "help/help_procedures.h"
#include "models/model_procedures.h"
#include "navigation/wizard.h"
#include "qc/qc_procedures.h"
#include "report/print_report.h"
#include "results/results_procedures.h"
#include "state/current_results.h"
#include "state/program.h"
#include "state/work_screen.h"

namespace quorin {

namespace {

// Each printout runs its own print job and tells the user how it ended.
void print_for(Program& program) {
  switch (static_cast<Screen>(program.state.Screen_No)) {
    case Screen::Conditions: Set_PRT(program); break;
    case Screen::Data: Data_PRT(program); break;
    case Screen::Graph: Graph_PRT(program); break;
    case Screen::Result: Result_PRT(program); break;
    case Screen::Model: Model_PRT(program); break;
    default: break;
  }
}

void exit_program(Program& program) {
  if (!May_Discard_Count_Edits(program)) return;
  if (!program.platform.ask_yes_no("システムを終了します　よろしいですか？")) return;
  program.end();  // closing the screens closes every file they hold
}

// Makes `which` the screen whose buttons the button-state rule sets, loading it if needed.
void activate_screen(Program& program, Screen which) {
  program.state.Active_Screen = which;
  program.load(which);
  Command_Enable(program);
}

}  // namespace

void Command_Exec(Program& program, int target) {
  Assay_State& state = program.state;
  if (state.Wizard_Mode == Wizard::Running) {
    Run_Wizard(program);
    return;
  }
  switch (target) {
    case target::Open_File:
      if (state.Screen_No == screen_no(Screen::Conditions)) {
        if (May_Discard_Count_Edits(program)) Condition_Load(program);
      } else if (state.Screen_No == screen_no(Screen::Data)) {
        Data_Load(program);
      }
      break;
    case target::Conditions:
      activate_screen(program, Screen::Conditions);
      program.show(Screen::Conditions);
      break;
    case target::Data_Sheet:
      activate_screen(program, Screen::Data);
      if (program.screen(Screen::Data) == nullptr) break;
      Cell_Set(program);
      program.show(Screen::Data);
      break;
    case target::Results:
      activate_screen(program, Screen::Result);
      if (program.screen(Screen::Result) == nullptr) break;
      // The standard data table needs no curve: it is shown even when the fit cannot be used,
      // with the standards treated as their counts stand.
      Run_Treatment_Standard(program);
      Run_Fitness_Examination(program);
      program.show(Screen::Result);
      Standard_Disp(program);
      break;
    case target::Standard_Curve:
      activate_screen(program, Screen::Graph);
      if (program.screen(Screen::Graph) == nullptr) break;
      // From the results the screen shows the curves they are read off (out of date, it says so),
      // and the model screen a 4PL or 5PL in use; from elsewhere the standard plot, drawn afresh.
      if (state.Screen_No == screen_no(Screen::Result) && state.Plot_Stage != Curve_Stage::Nothing) {
        if (state.Plot_Stage != Curve_Stage::Curves) Draw_Fitted_Curves(program);
        program.show(Screen::Graph);
        // Brought to the front after the curve screen, it shows its comparison afresh.
        if (model_in_use(state) && state.Plot_Stage == Curve_Stage::Curves) program.show(Screen::Model);
        break;
      }
      Run_Treatment_Standard(program);
      Standard_Plotting(program);
      program.show(Screen::Graph);
      break;
    case target::Print: print_for(program); break;
    case target::Save:
      if (state.Screen_No == screen_no(Screen::Result)) Result_Output(program);
      break;
    case target::Exit: exit_program(program); break;
    case target::Switch_View:
      program.load(Screen::Graph);
      if (state.Plot_Stage == Curve_Stage::Standard_Plot) Show_Fitted_Curves(program);
      else Standard_Plotting(program);
      state.Active_Screen = Screen::Graph;
      Command_Enable(program);
      break;
    case target::Standard_Table:
      if (Run_Fitness_Examination(program)) STDCONC_Disp(program);
      break;
    case target::Sera_Table:
      if (Run_Control_Sera(program)) Sera_Disp(program);
      break;
    case target::Sample_Table:
      if (Run_Assay_Samples(program)) Sample_Disp(program);
      break;
    case target::Models:
      if (state.Plot_Stage != Curve_Stage::Curves || program.screen(Screen::Graph) == nullptr) break;
      program.show(Screen::Model);
      Model_Disp(program);  // afresh also when it was in front already
      break;
    case target::Printer_Setup: program.platform.printer_setup(); break;
    case target::Whole_Report:
      if (state.Screen_No == screen_no(Screen::Result)) Report_PRT(program);
      break;
    case target::Help: Show_Help(program, static_cast<Screen>(state.Screen_No)); break;
    case target::QC_Chart:
      // Results screen only. The chart shows the stored runs even when this assay's sera cannot be computed.
      if (state.Screen_No == screen_no(Screen::Result)) Show_QC_Chart(program, Run_Control_Sera(program));
      break;
    case target::Precision_Profile:
      if (state.Screen_No == screen_no(Screen::Result) && Run_Assay_Samples(program)) Show_Precision_Profile(program);
      break;
    default: break;  // 13, 14 and anything else: nothing
  }
}

void Command_Enable(Program& program) {
  Assay_State& state = program.state;
  auto* screen = program.screen_as<Work_Screen>(state.Active_Screen);
  // A greyed button says, when the pointer rests on it, what would enable it.
  auto set_enabled = [screen](std::initializer_list<int> buttons, bool enabled, const char* greyed_until = "") {
    if (screen == nullptr) return;
    for (int i : buttons)
      if (screen->Command.has(i)) {
        screen->Command[i].enabled = enabled;
        screen->Command[i].tip = enabled ? "" : greyed_until;
      }
  };
  using namespace target;
  set_enabled({Open_File, Conditions, Data_Sheet, Results, Standard_Curve, Print, Save, Exit, Switch_View,
               Standard_Table, Sera_Table, Sample_Table},
              true);

  switch (assay_completeness(state)) {
    case Completeness::Nothing_To_Enter:
      set_enabled({Data_Sheet, Results, Standard_Curve, Switch_View, Standard_Table, Sera_Table, Sample_Table}, false,
                  "条件設定でスタンダードの点数とチューブ数を入力すると使えます");
      program.close(Screen::Data);
      program.close(Screen::Graph);
      program.close(Screen::Model);
      program.close(Screen::Result);
      break;
    case Completeness::Conditions_Incomplete:
    case Completeness::Standard_Not_Measured:
      set_enabled({Results, Standard_Curve, Switch_View, Standard_Table, Sera_Table, Sample_Table}, false,
                  "すべてのスタンダードの濃度 (条件設定) と、ゼロ標準とすべてのスタンダードの測定値 (データ入力) "
                  "がそろうと使えます");
      program.close(Screen::Graph);
      program.close(Screen::Model);
      program.close(Screen::Result);
      break;
    case Completeness::Complete:
      if (state.Plot_Stage == Curve_Stage::Nothing)
        set_enabled({Results}, false, "検量線表示でスタンダードプロットを表示すると使えます");
      break;
  }
}

}  // namespace quorin
