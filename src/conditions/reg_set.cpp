#include "conditions/reg_set.h"

#include "conditions/conditions_procedures.h"
#include "engine/condition_fields.h"
#include "engine/fit_choice.h"
#include "state/commands.h"
#include "state/program.h"
#include "ui/desktop.h"

namespace quorin {

namespace {

constexpr int Box_Height = 315;
constexpr int Label_Height = 255;
constexpr int Label_Drop = 45;  // a label's top below its box's, so the two share a baseline
constexpr int Label_Gap = 60;   // between the end of a label and its box

struct Field_Layout {
  int box;
  const char* label;
  int top, box_left, box_width, max_length;
  bool numeric;
};

// The left column: one row per field shown, 480 twips apart; the dilution factor stands apart.
// clang-format off
constexpr Field_Layout Left_Fields[] = {
    {0, "実験担当者", 120, 1680, 2172, 20, false},
    {1, "実験日", 600, 1680, 2172, 20, false},
    {3, "測定物質名", 1080, 1680, 2172, 20, false},
    {4, "単位", 1560, 1680, 2172, 20, false},
    {5, "アッセイＮｏ", 2040, 1680, 2172, 20, false},
    {6, count_box(6).label, 2520, 4080, 735, 3, true},
    {7, count_box(7).label, 3000, 4080, 735, 3, true},
    {8, count_box(8).label, 3480, 4080, 735, 3, true},
    {9, count_box(9).label, 3960, 4080, 735, 3, true},
    {10, count_box(10).label, 4440, 3600, 1215, 6, true},
    {11, count_box(11).label, 4920, 4080, 735, 3, true},
    {12, "希釈係数", 5520, 2160, 1335, 10, true},
};
// clang-format on
constexpr int Left_Label_X = 240;
constexpr int Standard_Label_X = 6000, Standard_Box_X = 6960, Standard_Box_Width = 1335;
constexpr int Standard_Top = 360, Standard_Row = 360;

struct Button_Layout {
  int index, left, top;
  const char* caption;
};
constexpr Button_Layout Buttons[] = {
    {target::Open_File, 120, 6480, "条件読込"},
    {target::Save_Conditions, 1560, 6480, "条件保存"},
    {target::Print, 3000, 6480, "条件印刷"},
    {target::Printer_Setup, 4440, 6480, "プリンタ設定"},
    {target::Data_Sheet, 120, 6960, "データ入力"},
    {target::Results, 1560, 6960, "測定結果表示"},
    {target::Standard_Curve, 3000, 6960, "検量線表示"},
    {target::Wizard, 120, 7440, "Ｗｉｚａｒｄ"},
    {target::Help, 1560, 7440, "Help"},
    {target::Exit, 3000, 7440, "終　　　了"},
};
// Buttons that only complete the row for the button-state rule.
constexpr int Unshown_Buttons[] = {target::Conditions,     target::Save,       target::Switch_View,
                                   target::Standard_Table, target::Sera_Table, target::Sample_Table};

// "STD  1" .. "STD  9", "STD 10" .. "STD 20".
std::string standard_label(int k) { return (k < 10 ? "STD  " : "STD ") + std::to_string(k); }

}  // namespace

Reg_Set::Reg_Set(Program& program)
    : Work_Screen("条件設定", 8595, 7965),
      Label2(add<ui::Label>("Label2", Standard_Label_X, 0, 1800, Label_Height)),
      program_(program) {
  Label2.caption = "スタンダード濃度";

  for (const Field_Layout& f : Left_Fields) {
    ui::Label& label =
        add(Label1, f.box, Left_Label_X, f.top + Label_Drop, f.box_left - Left_Label_X - Label_Gap, Label_Height);
    label.caption = f.label;
    ui::Text_Box& box = add(info, f.box, f.box_left, f.top, f.box_width, Box_Height);
    box.max_length = f.max_length;
    if (f.numeric) box.alignment = ui::Align::Right;
  }
  ui::Text_Box& never_shown = add(info, 2, 0, 0, 0, 0);
  never_shown.max_length = 20;
  never_shown.visible = false;

  for (int k = 1; k <= Max_Standards; ++k) {
    const int top = Standard_Top + (k - 1) * Standard_Row;
    ui::Label& label = add(Label1, 12 + k, Standard_Label_X, top + Label_Drop,
                           Standard_Box_X - Standard_Label_X - Label_Gap, Label_Height);
    label.caption = standard_label(k);
    ui::Text_Box& box = add(info, 12 + k, Standard_Box_X, top, Standard_Box_Width, Box_Height);
    box.max_length = 10;
    box.alignment = ui::Align::Right;
  }

  for (auto& [i, box] : info) {
    box->on_got_focus = [this, i = i] { program_.state.Focus_Field = static_cast<Integer>(i); };
    box->on_key_down = [this, i = i](int key_code, int) { key_down(i, key_code); };
    box->on_lost_focus = [this, i = i] { lost_focus(i); };
  }

  for (const Button_Layout& b : Buttons) {
    ui::Command_Button& button = add(Command, b.index, b.left, b.top, 1335, 375);
    button.caption = b.caption;
    button.on_click = [this, i = b.index] {
      Assay_State& state = program_.state;
      if (i == target::Save_Conditions) return Condition_Save(program_, *this);
      state.Screen_No = screen_no(Screen::Conditions);
      if (i == target::Wizard) {
        state.Wizard_Mode = Wizard::Running;
        program_.command(target::Open_File);
      } else {
        program_.command(i);
      }
    };
  }
  for (int i : Unshown_Buttons) add(Command, i, 0, 0, 0, 0).visible = false;
  close_control = &Command[target::Exit];
}

// The screen is loaded once, at start-up, while every condition is still empty; the state's
// conditions are not touched here.
void Reg_Set::load() {
  Assay_State& state = program_.state;
  name_weightings(state);
  for (auto& [i, box] : info) box->text.clear();
  for (int k = 1; k <= Max_Standards; ++k) info[12 + k].visible = Label1[12 + k].visible = false;
  // Nothing is entered yet: the button-state rule greys what needs conditions, saying so.
  state.Active_Screen = Screen::Conditions;
  program_.enable_commands();
  set_focus(Command[target::Open_File]);
}

void Reg_Set::show_standard_fields() {
  for (int k = 1; k <= Max_Standards; ++k)
    info[12 + k].visible = Label1[12 + k].visible = k <= program_.state.STD_Number;
}

void Reg_Set::key_down(int i, int key_code) {
  if (key_code != ui::Key_Return) {
    program_.state.Edit_Flag = 1;
    return;
  }
  // The next field shown (box 2 never is, nor are the standards beyond STD_Number); after the
  // last one, box 0 again.
  int next = i + 1;
  while (next < static_cast<int>(info.size()) && !info[next].visible) ++next;
  if (next >= static_cast<int>(info.size())) next = 0;
  program_.state.Focus_Field = static_cast<Integer>(next);
  set_focus(info[next]);
}

void Reg_Set::commit_changed() {
  Assay_State& state = program_.state;
  show_committed_texts();
  const bool in_front = desktop != nullptr && desktop->front() == this;
  for (auto& [i, box] : info) {
    if (box->text == committed_texts_[static_cast<std::size_t>(i)]) continue;
    if (box == focused() && state.Edit_Flag == 1 && in_front) continue;
    if (box == focused()) state.Edit_Flag = 0;
    commit(i);
    state.Active_Screen = Screen::Conditions;
    program_.enable_commands();
  }
}

void Reg_Set::lost_focus(int i) {
  Assay_State& state = program_.state;
  if (state.Edit_Flag != 1) return;
  // Cleared before the commit: a message box it raises must not commit the box a second time.
  state.Edit_Flag = 0;
  commit(i);
  state.Active_Screen = Screen::Conditions;
  program_.enable_commands();
}

}  // namespace quorin
