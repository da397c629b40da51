// The dispatcher, the button-state rule, the wizard's interrupted road and the exit target; the
// start-up screen: its animation by ticks, the start and abort buttons and the administrator key.

#include <gtest/gtest.h>

#include "intro/reg_intro.h"
#include "navigation/navigation.h"
#include "state/program_fixture.h"
#include "state/work_screen.h"
#include "support/assay_digest.h"
#include "support/screen_text.h"

namespace quorin {
namespace {

using Navigation = testing::Program_Test;

// Two standards of two tubes, every concentration entered and every standard row measured, then
// changed; the rule runs on the conditions screen with the data, curve and results screens open.
// Seen: buttons 0..11 enabled, the screens still open, the tubes counted.
TEST_F(Navigation, ButtonRuleFollowsWhatTheAssayHolds) {
  const std::pair<void (*)(Assay_State&), const char*> cases[] = {
      {[](Assay_State&) {}, "111011111111 data curve result 10"},
      {[](Assay_State& s) {  // plotted; NSB, TOTAL and samples play no part
         s.Plot_Stage = Curve_Stage::Standard_Plot;
         s.STD_Count(1, 1) = s.STD_Count(1, 2) = s.STD_Count(2, 1) = s.STD_Count(2, 2) = 0;
         s.Sample_Number = 3;
         s.Sample_Tubes = 2;
       },
       "111111111111 data curve result 16"},
      {[](Assay_State& s) { s.STD_Data(5, STD_Column::Concentration) = 0; }, "111001110000 data 10"},
      {[](Assay_State& s) { s.STD_Count(5, 1) = s.STD_Count(5, 2) = 0; }, "111001110000 data 10"},
      {[](Assay_State& s) { s.STD_Count(3, 1) = s.STD_Count(3, 2) = 0; }, "111001110000 data 10"},
      {[](Assay_State& s) { s.STD_Tubes = 0; }, "110001110000 0"},
  };
  for (const auto& [change, expected] : cases) {
    Program fresh(platform);
    Assay_State& s = fresh.state;
    s.STD_Number = s.STD_Tubes = 2;
    s.STD_Data(4, STD_Column::Concentration) = 1;
    s.STD_Data(5, STD_Column::Concentration) = 10;
    for (int row = 1; row <= 5; ++row) s.STD_Count(row, 1) = s.STD_Count(row, 2) = 1000 * row;
    change(s);
    for (Screen screen : {Screen::Data, Screen::Graph, Screen::Result, Screen::Conditions}) fresh.load(screen);
    s.Active_Screen = Screen::Conditions;
    Command_Enable(fresh);
    std::string seen;
    for (int i = 0; i <= 11; ++i)
      seen += fresh.screen_as<Work_Screen>(Screen::Conditions)->Command[i].enabled ? "1" : "0";
    for (const auto& [screen, name] :
         {std::pair{Screen::Data, " data"}, {Screen::Graph, " curve"}, {Screen::Result, " result"}})
      if (fresh.screen(screen) != nullptr) seen += name;
    EXPECT_EQ(seen + " " + std::to_string(s.Total_Tubes), expected);
  }
}

// A cancelled condition dialog, of the wizard or of the open button, leaves the assay and its
// windows as they were; it interrupts the wizard. Then requests are ordinary ones again (help, the
// printer setup), and a failed print is reported, not announced as finished.
TEST_F(Navigation, CancelledConditionDialogChangesNothingAndInterruptsTheWizardThenCloseBoxesAct) {
  // From the start-up screen through the wizard on the example assay: the conditions, data sheet,
  // curve and result screens are open.
  testing::run_wizard(program, platform, testing::Example_Conditions, testing::Example_Counts);
  auto& conditions = *program.screen_as<Work_Screen>(Screen::Conditions);
  ASSERT_NE(program.screen(Screen::Result), nullptr);
  auto seen = [&] {
    std::string text;
    for (const ui::Form* form : program.desktop.forms()) text += form->caption + "\n" + testing::screen_text(*form);
    return text;
  };
  const std::string before = seen();
  const std::uint64_t assay = testing::assay_digest(state);
  platform.messages.clear();
  for (const int button : {target::Wizard, target::Open_File}) {
    platform.dialogs.clear();
    testing::click(conditions.Command[button]);
    EXPECT_EQ(platform.dialogs.at(0).title, "条件を開く");
    EXPECT_EQ(seen(), before);
    EXPECT_TRUE(testing::assay_digest(state) == assay) << "the assay changed";
  }
  EXPECT_EQ(state.Wizard_Mode, Wizard::Idle);
  state.Screen_No = 1;
  Command_Exec(program, target::Help);
  Command_Exec(program, target::Printer_Setup);
  EXPECT_TRUE(program.screen(Screen::Help) != nullptr && platform.printer_setups == 1);
  platform.recorder.failing_with = "プリンタに出力できません";
  Command_Exec(program, target::Print);
  EXPECT_EQ(
      platform.messages[0] + "|" + platform.messages[1] + "|" + platform.messages.back(),
      "保存された条件設定を読み込みます|ウィザードは中断されました|印刷できませんでした\nプリンタに出力できません");

  // The window's close box clicks the screen's own close or end button: a side screen closes, a
  // work screen asks whether to end the program and ends it, its screens closed, on Yes only.
  state.Screen_No = screen_no(Screen::Result);
  for (const int request : {target::Models, target::Help, target::QC_Chart, target::Precision_Profile})
    Command_Exec(program, request);
  for (const Screen side : {Screen::Model, Screen::Help, Screen::QC_Chart, Screen::Profile}) {
    ASSERT_NE(program.screen(side), nullptr);
    program.screen(side)->close_box_clicked();
    EXPECT_EQ(program.screen(side), nullptr);
  }
  for (const Screen work : {Screen::Conditions, Screen::Data, Screen::Graph, Screen::Result}) {
    platform.questions.clear();
    program.screen(work)->close_box_clicked();
    EXPECT_EQ(platform.questions, std::vector<std::string>{"システムを終了します　よろしいですか？"});
    ASSERT_NE(program.screen(work), nullptr) << "answered No";
  }
  platform.yes_no_answers = {true};
  program.screen(Screen::Result)->close_box_clicked();
  EXPECT_TRUE(program.ended() && platform.quit_requested && program.screen(Screen::Conditions) == nullptr);
}

// The emblem grows a step a tick, each step drawn at once; the start button takes the focus back
// at tick 50, when the animation is over; the close box acts as abort once it is enabled, ending
// the program without a question. The administrator key counts only in upper case within the 30
// first ticks.
TEST_F(Navigation, StartUpScreenByTicks) {
  program.start();
  Reg_Intro& intro = *program.screen_as<Reg_Intro>(Screen::Intro);
  auto tick_to = [&](int tick) {
    while (intro.Intro_Tick < tick) intro.Timer1.on_timer();
  };
  intro.close_box_clicked();
  EXPECT_FALSE(program.ended()) << "the abort button is not enabled yet";
  tick_to(6);
  EXPECT_EQ(platform.events_processed + intro.Command2.enabled, 6) << "each growth step of the emblem is drawn at once";
  tick_to(49);
  EXPECT_TRUE(intro.Label1[3].visible && intro.Command2.enabled);
  intro.set_focus(intro.Command2);
  tick_to(50);
  EXPECT_EQ(intro.focused(), &intro.Command1);
  intro.set_focus(intro.Command2);
  intro.Timer1.on_timer();
  EXPECT_TRUE(intro.Intro_Tick == 50 && intro.focused() == &intro.Command2) << "the animation is over";
  intro.close_box_clicked();
  EXPECT_TRUE(platform.quit_requested && program.ended() && platform.questions.empty());

  for (const int last_tick : {29, 30}) {
    Program fresh(platform);
    fresh.start();
    auto& admin = *fresh.screen_as<Reg_Intro>(Screen::Intro);
    while (admin.Intro_Tick < last_tick) admin.Timer1.on_timer();
    for (const int key : {int{Reg_Intro::Admin_Key} + 'a' - 'A', int{'X'}, int{Reg_Intro::Admin_Key}})
      admin.Command1.on_key_press(key);
    if (fresh.screen(Screen::Intro) != nullptr) admin.Command1.on_click();
    EXPECT_EQ(fresh.state.Admin_Mode, last_tick < 30 ? 1 : 0);
    EXPECT_TRUE(fresh.screen(Screen::Intro) == nullptr && fresh.desktop.front() == fresh.screen(Screen::Conditions));
  }
  EXPECT_EQ(platform.messages, (std::vector<std::string>{"Welcome administrator!!"}));
}

}  // namespace
}  // namespace quorin
