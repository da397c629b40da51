// The model screen's part of the navigation.
#include "models/model_procedures.h"
#include "models/reg_model.h"
#include "state/program.h"

namespace quorin {

std::unique_ptr<ui::Form> Make_Reg_Model(Program& program) { return std::make_unique<Reg_Model>(program); }

void Check_Model_Screen(Program& program) {
  if (auto* screen = program.screen_as<Reg_Model>(Screen::Model)) screen->check_revision();
}

void Model_Disp(Program& program) {
  if (auto* screen = program.screen_as<Reg_Model>(Screen::Model)) screen->Model_Disp();
}

}  // namespace quorin
