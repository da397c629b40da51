// Loading a count data file into the sheet (Data_Load) and saving the sheet's counts.
#include <string>

#include "data/count_file.h"
#include "data/count_load.h"
#include "data/data_procedures.h"
#include "data/reg_data.h"
#include "state/commands.h"
#include "state/program.h"
#include "text/text_file.h"

namespace quorin {

namespace {

const ui::File_Dialog Open_Dialog{"データファイルを開く", "ﾃｷｽﾄ(*.txt)|*.txt", "txt"};
const ui::File_Dialog Save_Dialog{"", "ﾃｷｽﾄ(*.txt)|*.txt", "txt"};

}  // namespace

namespace {

// Stores counts read from the file at `path` into the sheet, or tells why the file cannot be used
// (false, and a running wizard stops).
bool load_into_sheet(Program& program, const std::string& path, const Loaded_Counts& loaded) {
  Assay_State& state = program.state;
  if (!loaded.message.empty()) {
    program.platform.message(loaded.message);
    state.Wizard_Mode = Wizard::Idle;
    return false;
  }
  store_loaded_counts(program, loaded, path);
  program.screen(Screen::Data)->caption = "データ入力　File名: " + path;
  state.Active_Screen = Screen::Data;
  program.enable_commands();
  if (auto* sheet = program.screen_as<Reg_Data>(Screen::Data); sheet != nullptr && !sheet->Cell_Set())
    state.Wizard_Mode = Wizard::Idle;
  return true;
}

}  // namespace

void Data_Load(Program& program) {
  Assay_State& state = program.state;
  // A failed load stops a running wizard, as a cancelled dialog does.
  if (program.screen_as<Reg_Data>(Screen::Data) == nullptr) {
    state.Wizard_Mode = Wizard::Idle;  // the sheet could not be opened; the user has been told why
    return;
  }
  // The wizard asked before it loaded the conditions.
  if (state.Wizard_Mode != Wizard::Running && !May_Discard_Count_Edits(program)) return;
  const std::string path = program.platform.open_file(Open_Dialog);
  if (path.empty()) {
    state.Wizard_Mode = Wizard::Idle;
    return;
  }
  load_into_sheet(program, path, read_counts(path, state));
}

bool Counter_Load(Program& program, const std::string& path) {
  if (program.screen_as<Reg_Data>(Screen::Data) == nullptr) return false;
  return load_into_sheet(program, path, read_counter_file(path, program.state));
}

void Reg_Data::Data_Save() {
  const std::string path = program_.platform.save_file(Save_Dialog);
  if (path.empty()) return;
  if (Cell_Dirty == 1) Cell_Get();
  const std::string failure = text::save_file(path, count_file_bytes(program_.state));
  if (failure.empty()) program_.state.Counts_Unsaved = false;
  program_.platform.message(failure.empty() ? "データ保存が終了しました" : failure);
}

}  // namespace quorin
