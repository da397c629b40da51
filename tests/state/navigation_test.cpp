// The dispatcher, the button-state rule, the wizard's interrupted road and the exit target; the
// start-up screen: its animation by ticks, the start and abort buttons and the administrator key.

#include <gtest/gtest.h>

#include "state/navigation.h"
#include "state/program.h"
#include "state/reg_intro.h"
#include "state/work_screen.h"
#include "support/test_support.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

class Navigation : public ::testing::Test {
 protected:
  Navigation() : program(platform) {}
  testing::Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program;
  Assay_State& state = program.state;
};

// Two standards of two tubes, every concentration entered and every standard row measured, then
// changed; the rule runs on the conditions screen with the data, curve and results screens open.
// Seen: buttons 0..11 enabled, the screens still open, the tubes counted.
TEST_F(Navigation, ButtonRuleFollowsWhatTheAssayHolds) {
  const std::pair<void (*)(Assay_State&), const char*> cases[] = {
      {[](Assay_State&) {}, "111011111111 data curve result 10"},
      {[](Assay_State& s) {  // plotted; NSB, TOTAL and samples play no part
         s.Plot_Stage = 1;
         s.STD_Count(1, 1) = s.STD_Count(1, 2) = s.STD_Count(2, 1) = s.STD_Count(2, 2) = 0;
         s.Sample_Number = 3;
         s.Sample_Tubes = 2;
       },
       "111111111111 data curve result 16"},
      {[](Assay_State& s) { s.STD_Data(5, 0) = 0; }, "111001110000 data 10"},
      {[](Assay_State& s) { s.STD_Count(5, 1) = s.STD_Count(5, 2) = 0; }, "111001110000 data 10"},
      {[](Assay_State& s) { s.STD_Count(3, 1) = s.STD_Count(3, 2) = 0; }, "111001110000 data 10"},
      {[](Assay_State& s) { s.STD_Tubes = 0; }, "110001110000 0"},
  };
  for (const auto& [change, expected] : cases) {
    Program fresh(platform);
    Assay_State& s = fresh.state;
    s.STD_Number = s.STD_Tubes = 2;
    s.STD_Data(4, 0) = 1;
    s.STD_Data(5, 0) = 10;
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

// A cancelled condition dialog interrupts the wizard; then requests are ordinary ones again (help,
// the printer setup), and a failed print is reported, not announced as finished.
TEST_F(Navigation, CancelledConditionDialogInterruptsTheWizard) {
  program.show(Screen::Conditions);
  program.screen_as<Work_Screen>(Screen::Conditions)->Command[target::Wizard].on_click();
  EXPECT_EQ(state.Wizard_Mode, 0);
  EXPECT_EQ(platform.dialogs.at(0).title, "条件を開く");
  state.Screen_No = 1;
  Command_Exec(program, target::Help);
  EXPECT_NE(program.screen(Screen::Help), nullptr);
  Command_Exec(program, target::Printer_Setup);
  EXPECT_EQ(platform.printer_setups, 1);
  platform.recorder.failing_with = "プリンタに出力できません";
  Command_Exec(program, target::Print);
  EXPECT_EQ(
      platform.messages[0] + "|" + platform.messages[1] + "|" + platform.messages.back(),
      "保存された条件設定を読み込みます|ウィザードは中断されました|印刷できませんでした\nプリンタに出力できません");
}

TEST_F(Navigation, ExitAsksAndOnlyYesEnds) {
  for (const bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "yes" : "no");
    program.show(Screen::Conditions);
    platform.yes_no_answers = {yes};
    Command_Exec(program, target::Exit);
    EXPECT_EQ(platform.questions.back(), "システムを終了します　よろしいですか？");
    EXPECT_EQ(platform.quit_requested && program.ended() && program.screen(Screen::Conditions) == nullptr, yes);
  }
}

TEST_F(Navigation, StartUpEmblemGrowsAndStartKeepsTheFocusUntilTick50AndAbortEnds) {
  program.start();
  Reg_Intro& intro = *program.screen_as<Reg_Intro>(Screen::Intro);
  auto tick_to = [&](int tick) {
    while (intro.Intro_Tick < tick) intro.Timer1.on_timer();
  };
  tick_to(6);
  EXPECT_EQ(platform.events_processed + intro.Command2.enabled, 6) << "each growth step of the emblem is drawn at once";
  tick_to(49);
  EXPECT_TRUE(intro.Label1[3].visible && intro.Command2.enabled);
  intro.set_focus(intro.Command2);
  tick_to(50);
  EXPECT_EQ(intro.focused(), &intro.Command1);
  intro.set_focus(intro.Command2);
  intro.Timer1.on_timer();
  EXPECT_EQ(intro.Intro_Tick, 50) << "the animation is over";
  EXPECT_EQ(intro.focused(), &intro.Command2);
  intro.Command2.on_click();
  EXPECT_TRUE(platform.quit_requested && program.ended() && platform.questions.empty());
}

// The administrator key counts only in upper case within the 30 first ticks.
TEST_F(Navigation, StartUpAdministratorKeyAndStart) {
  for (const int last_tick : {29, 30}) {
    Program fresh(platform);
    fresh.start();
    auto& intro = *fresh.screen_as<Reg_Intro>(Screen::Intro);
    while (intro.Intro_Tick < last_tick) intro.Timer1.on_timer();
    for (const int key : {int{Reg_Intro::Admin_Key} + 'a' - 'A', int{'X'}, int{Reg_Intro::Admin_Key}})
      intro.Command1.on_key_press(key);
    if (fresh.screen(Screen::Intro) != nullptr) intro.Command1.on_click();
    EXPECT_EQ(fresh.state.Admin_Mode, last_tick < 30 ? 1 : 0);
    EXPECT_TRUE(fresh.screen(Screen::Intro) == nullptr && fresh.desktop.front() == fresh.screen(Screen::Conditions));
  }
  EXPECT_EQ(platform.messages, (std::vector<std::string>{"Welcome administrator!!"}));
}

}  // namespace
}  // namespace quorin
