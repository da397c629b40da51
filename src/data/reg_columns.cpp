#include "data/reg_columns.h"

#include <algorithm>

#include "data/data_procedures.h"
#include "state/program.h"
#include "text/text_clean.h"

namespace quorin {

namespace {

std::string joined(const std::vector<std::string>& headers) {
  std::string text;
  for (const std::string& h : headers) text += (text.empty() ? "" : ", ") + h;
  return text;
}

}  // namespace

Reg_Columns::Reg_Columns(Program& program)
    : ui::Form("計数器のファイルの列", 6600, 2760),
      File_Label(add<ui::Label>("File_Label", 120, 120, 6360, 300)),
      Headers_Label(add<ui::Label>("Headers_Label", 120, 480, 6360, 600)),
      Count_Box(add<ui::Text_Box>("Count_Box", 2880, 1200, 2400, 330)),
      Id_Box(add<ui::Text_Box>("Id_Box", 2880, 1680, 2400, 330)),
      Load(add<ui::Command_Button>("Load", 3960, 2220, 1215, 375)),
      Cancel(add<ui::Command_Button>("Cancel", 5280, 2220, 1215, 375)),
      program_(program) {
  add<ui::Label>("Count_Caption", 120, 1230, 2700, 300).caption = "測定値の列";
  add<ui::Label>("Id_Caption", 120, 1710, 2700, 300).caption = "ID の列 (なければ空欄)";
  Load.caption = "読　込";
  Cancel.caption = "取　消";
  Count_Box.text = program.state.Count_Column;
  Id_Box.text = program.state.Count_Id_Column;
  Count_Box.on_key_down = [this](int key_code, int) {
    if (key_code == ui::Key_Return) set_focus(Id_Box);
  };
  Id_Box.on_key_down = [this](int key_code, int) {
    if (key_code == ui::Key_Return) load_export();
  };
  Load.on_click = [this] { load_export(); };
  Cancel.on_click = [this] { program_.close(Screen::Columns); };
  close_control = &Cancel;
}

void Reg_Columns::ask(const std::string& path, const std::vector<std::string>& headers) {
  path_ = path;
  headers_ = headers;
  File_Label.caption = "ファイル: " + path;
  Headers_Label.caption = "列: " + joined(headers);
}

void Reg_Columns::load_export() {
  const std::string count = text::Text_Clean(Count_Box.text);
  const std::string id = text::Text_Clean(Id_Box.text);
  for (const std::string* column : {&count, &id}) {
    if (column == &id && id.empty()) continue;
    if (std::find(headers_.begin(), headers_.end(), *column) == headers_.end()) {
      program_.platform.message(count.empty() && column == &count
                                    ? std::string("測定値の列を入力してください (ファイルの列: ") + joined(headers_) + ")"
                                    : "列「" + *column + "」がありません (ファイルの列: " + joined(headers_) + ")");
      return;
    }
  }
  program_.state.Count_Column = count;
  program_.state.Count_Id_Column = id;
  const std::string path = path_;
  Program& program = program_;
  program.close(Screen::Columns);  // this dialog is gone from here on
  program.show(Screen::Data);      // the counts go into the sheet, opened again if it was closed
  Counter_Load(program, path);
}

std::unique_ptr<ui::Form> Make_Reg_Columns(Program& program) { return std::make_unique<Reg_Columns>(program); }

}  // namespace quorin
