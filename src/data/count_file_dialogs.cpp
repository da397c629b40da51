// Loading a count data file into the sheet (Data_Load) and saving the sheet's counts.
#include <string>

#include "curve/treatment_standard.h"
#include "data/count_file.h"
#include "data/reg_data.h"
#include "state/navigation.h"
#include "state/program.h"
#include "state/screen_procedures.h"
#include "text/format.h"
#include "text/text_file.h"

namespace quorin {

namespace {

const ui::File_Dialog Open_Dialog{"データファイルを開く", "ﾃｷｽﾄ(*.txt)|*.txt", "txt"};
const ui::File_Dialog Save_Dialog{"", "ﾃｷｽﾄ(*.txt)|*.txt", "txt"};

std::string cannot_load(const std::string& path, const std::string& reason) {
  return "データファイルを読み込めません: " + path + " (" + reason + ")";
}

// The file's counts, or the message why it cannot be loaded.
struct Loaded {
  Count_Items items;
  std::string message;
};

Loaded read_count_file(const std::string& path) {
  Loaded loaded;
  const text::File_Read file = text::read_file(path);
  if (!file.ok) {
    loaded.message = file.message;
  } else if (text::looks_binary(file.bytes)) {
    loaded.message = cannot_load(path, "テキストファイルではありません");
  } else {
    loaded.items = read_count_items(file.bytes);
    if (loaded.items.bad_line != 0)
      loaded.message = cannot_load(
          path, text::bare_text(static_cast<long long>(loaded.items.bad_line)) + " 行目の測定値が大きすぎます");
  }
  return loaded;
}

std::string not_loaded_message(const Assay_State& state, std::size_t left) {
  const std::string tail =
      "ファイルの残りの測定値 " + text::bare_text(static_cast<long long>(left)) + " 個は読み込まれていません";
  if (state.Sample_Tubes <= 0) return "サンプルごとのチューブ数が 0 のため、" + tail;
  return "サンプルの点数は１０万までです。" + tail;
}

}  // namespace

void Data_Load(Program& program) {
  Assay_State& state = program.state;
  // A failed load stops a running wizard, as a cancelled dialog does.
  if (program.screen_as<Reg_Data>(Screen::Data) == nullptr) {
    state.Wizard_Mode = 0;  // the sheet could not be opened; the user has been told why
    return;
  }
  const std::string path = program.platform.open_file(Open_Dialog);
  if (path.empty()) {
    state.Wizard_Mode = 0;
    return;
  }
  const Loaded loaded = read_count_file(path);
  if (!loaded.message.empty()) {
    program.platform.message(loaded.message);
    state.Wizard_Mode = 0;
    return;
  }

  const std::size_t left = store_counts(state, loaded.items.counts);
  state.Data_File = path;
  program.screen(Screen::Data)->caption = "データ入力　File名: " + path;
  state.Active_Screen = Screen::Data;
  Command_Enable(program);
  if (auto* sheet = program.screen_as<Reg_Data>(Screen::Data); sheet != nullptr && !sheet->Cell_Set())
    state.Wizard_Mode = 0;
  Treatment_Standard(state);
  if (left > 0) program.platform.message(not_loaded_message(state, left));
}

void Reg_Data::Data_Save() {
  const std::string path = program_.platform.save_file(Save_Dialog);
  if (path.empty()) return;
  if (Cell_Dirty == 1) Cell_Get();
  const std::string failure = text::save_file(path, count_file_bytes(program_.state));
  program_.platform.message(failure.empty() ? "データ保存が終了しました" : failure);
}

}  // namespace quorin
