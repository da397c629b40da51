#include "lis/reg_lis.h"

#include "lis/link_address.h"
#include "lis/lis_settings_file.h"
#include "state/program.h"
#include "text/format.h"
#include "text/text_clean.h"

namespace quorin {

namespace {

constexpr int Boxes = 5;
constexpr const char* Captions[Boxes] = {"LIS の宛先 (ホスト:ポート)", "受領確認を待つ時間 (秒)", "送信元施設 (MSH-4)",
                                         "受信アプリケーション (MSH-5)", "受信施設 (MSH-6)"};
constexpr int Row_Top = 120, Row_Step = 480;

}  // namespace

Reg_LIS::Reg_LIS(Program& program)
    : ui::Form("LIS の設定", 6600, 3720),
      File_Label(add<ui::Label>("File_Label", 120, Row_Top + Row_Step * Boxes, 6360, 540)),
      Save(add<ui::Command_Button>("Save", 3960, 3240, 1215, 375)),
      Cancel(add<ui::Command_Button>("Cancel", 5280, 3240, 1215, 375)),
      program_(program) {
  for (int b = 0; b < Boxes; ++b) {
    add<ui::Label>("Caption" + std::to_string(b), 120, Row_Top + Row_Step * b + 30, 3000, 300).caption = Captions[b];
    ui::Text_Box& box = add(Box, b, 3240, Row_Top + Row_Step * b, 3240, 330);
    box.on_key_down = [this, b](int key_code, int) {
      if (key_code != ui::Key_Return) return;
      if (b + 1 < Boxes) set_focus(Box[b + 1]);
      else save();
    };
  }
  Save.caption = "保　存";
  Cancel.caption = "取　消";
  Save.on_click = [this] { save(); };
  Cancel.on_click = [this] { program_.close(Screen::LIS); };
  close_control = &Cancel;
}

void Reg_LIS::load() {
  path_ = lis::lis_settings_path();
  File_Label.caption = "設定ファイル: " + (path_.empty() ? "(HOME が設定されていないため保存できません)" : path_);
  const lis::Settings_Read read = lis::read_lis_settings(path_);
  const lis::LIS_Settings& s = read.settings;
  damaged_ = read.kind == lis::Settings_Read::Kind::Damaged;
  if (damaged_) program_.platform.message(read.message);
  const bool has_link = read.kind == lis::Settings_Read::Kind::Read;
  const std::string texts[Boxes] = {has_link ? lis::link_name(s.link) : "", text::Format(s.link.timeout_s, ""),
                                    s.sending_facility, s.receiving_application, s.receiving_facility};
  for (int b = 0; b < Boxes; ++b) Box[b].text = texts[b];
}

void Reg_LIS::save() {
  lis::LIS_Settings settings;
  std::string wrong = lis::read_link_address(text::Text_Clean(Box[0].text), settings.link);
  if (wrong.empty()) wrong = lis::read_link_timeout(text::Text_Clean(Box[1].text), settings.link);
  std::string* const names[] = {&settings.sending_facility, &settings.receiving_application,
                                &settings.receiving_facility};
  for (int b = 2; b < Boxes && wrong.empty(); ++b)
    if (const char* wanted = lis::take_lab_name(Box[b].text, *names[b - 2]))
      wrong = std::string(Captions[b]) + " は " + wanted + "入力してください";
  if (!wrong.empty()) return program_.platform.message(wrong);
  if (damaged_ && !program_.platform.ask_yes_no_default_no("読めなかった LIS の設定ファイルを置き換えますか\n" + path_))
    return;
  if (const std::string failure = lis::save_lis_settings(path_, settings); !failure.empty())
    return program_.platform.message(failure);
  program_.platform.message("LIS の設定を保存しました: " + path_);
  program_.close(Screen::LIS);
}

}  // namespace quorin
