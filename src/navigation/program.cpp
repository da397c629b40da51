#include "state/program.h"

#include "navigation/navigation.h"

#include "conditions/conditions_procedures.h"
#include "data/data_procedures.h"
#include "graph/graph_procedures.h"
#include "help/help_procedures.h"
#include "intro/reg_intro.h"
#include "lis/reg_lis.h"
#include "models/model_procedures.h"
#include "qc/qc_procedures.h"
#include "results/results_procedures.h"

namespace quorin {

Program::Program(ui::Platform& platform) : Program(platform, *new Assay_State()) { state_.reset(&state); }

Program::Program(ui::Platform& platform, Assay_State& state) : state(state), platform(platform) {
  // Whatever an event changed, no box shows a condition that is not in force and no result
  // table shows numbers computed from anything else: the box is committed first, so that the
  // table is checked against the conditions it leaves.
  desktop.set_event_end([this] {
    Commit_Changed_Conditions(*this);
    Check_Graph(*this);
    Check_Model_Screen(*this);
    Check_Result_Table(*this);
    Check_QC_Windows(*this);
  });
}

Program::~Program() {
  // Screens hold references to the state and the platform: let them go first.
  for (auto& [which, form] : screens_) desktop.close(std::move(form));
  screens_.clear();
}

void Program::start() { show(Screen::Intro); }

void Program::command(int target) { Command_Exec(*this, target); }

void Program::enable_commands() { Command_Enable(*this); }

ui::Form* Program::screen(Screen which) const {
  auto it = screens_.find(which);
  return it == screens_.end() ? nullptr : it->second.get();
}

static std::unique_ptr<ui::Form> make_screen(Program& program, Screen which) {
  switch (which) {
    case Screen::Intro: return std::make_unique<Reg_Intro>(program);
    case Screen::Conditions: return Make_Reg_Set(program);
    case Screen::Data: return Make_Reg_Data(program);
    case Screen::Graph: return Make_Reg_Graph(program);
    case Screen::Result: return Make_Reg_Result(program);
    case Screen::Help: return Make_Reg_Help(program);
    case Screen::Model: return Make_Reg_Model(program);
    case Screen::QC_Chart: return Make_Reg_QC(program);
    case Screen::Profile: return Make_Reg_Profile(program);
    case Screen::Columns: return Make_Reg_Columns(program);
    case Screen::LIS: return std::make_unique<Reg_LIS>(program);
    case Screen::None: break;
  }
  return nullptr;
}

ui::Form& Program::load(Screen which) {
  if (ui::Form* existing = screen(which)) return *existing;
  ui::Form& form = *(screens_[which] = make_screen(*this, which));
  form.load();
  return form;
}

ui::Form& Program::show(Screen which) {
  ui::Form& form = load(which);
  // The load step may have closed the screen again (a sheet that cannot be built).
  if (screen(which) == &form) desktop.show(form);
  return form;
}

void Program::close(Screen which) {
  auto it = screens_.find(which);
  if (it == screens_.end()) return;
  std::unique_ptr<ui::Form> form = std::move(it->second);
  screens_.erase(it);
  desktop.close(std::move(form));
}

void Program::end() {
  for (Screen which : {Screen::LIS, Screen::Columns, Screen::Help, Screen::Model, Screen::QC_Chart, Screen::Profile,
                       Screen::Result, Screen::Graph, Screen::Data, Screen::Conditions, Screen::Intro})
    close(which);
  ended_ = true;
  platform.quit();
}

}  // namespace quorin
