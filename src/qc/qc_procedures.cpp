// The control-serum history's and the precision profile's part of the navigation.
#include "qc/qc_procedures.h"
#include "qc/reg_profile.h"
#include "qc/reg_qc.h"
#include "state/program.h"

namespace quorin {

std::unique_ptr<ui::Form> Make_Reg_QC(Program& program) { return std::make_unique<Reg_QC>(program); }
std::unique_ptr<ui::Form> Make_Reg_Profile(Program& program) { return std::make_unique<Reg_Profile>(program); }

void Show_QC_Chart(Program& program, bool with_assay) {
  program.show(Screen::QC_Chart);
  if (auto* screen = program.screen_as<Reg_QC>(Screen::QC_Chart)) screen->refresh(with_assay);
}

void Check_QC_Windows(Program& program) {
  if (auto* chart = program.screen_as<Reg_QC>(Screen::QC_Chart)) chart->check_revision();
  if (auto* profile = program.screen_as<Reg_Profile>(Screen::Profile)) profile->check_revision();
}

void Show_Precision_Profile(Program& program) {
  program.show(Screen::Profile);
  if (auto* screen = program.screen_as<Reg_Profile>(Screen::Profile)) screen->refresh();
}

}  // namespace quorin
