// The data sheet's part of the navigation.
#include "data/data_procedures.h"
#include "data/reg_data.h"
#include "engine/treatment_standard.h"
#include "state/program.h"

namespace quorin {

std::unique_ptr<ui::Form> Make_Reg_Data(Program& program) { return std::make_unique<Reg_Data>(program); }

void Cell_Set(Program& program) {
  if (auto* sheet = program.screen_as<Reg_Data>(Screen::Data)) sheet->Cell_Set();
}

void Run_Treatment_Standard(Program& program) { Treatment_Standard(program.state); }

bool May_Discard_Count_Edits(Program& program) {
  if (auto* sheet = program.screen_as<Reg_Data>(Screen::Data)) sheet->take_typed_count();
  return !program.state.Counts_Unsaved ||
         program.platform.ask_yes_no("保存されていない測定値の変更があります。破棄しますか");
}

}  // namespace quorin
