// The dispatcher, the button-state rule, the wizard's interrupted road and the exit target.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "data/scratch_file.h"
#include "state/navigation.h"
#include "state/program.h"
#include "state/work_screen.h"
#include "support/test_support.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

class Navigation : public ::testing::Test {
 protected:
  Navigation() : program(platform) {}

  // Two standards of two tubes, all concentrations entered and every standard row measured.
  void complete_assay() {
    state.STD_Number = 2;
    state.STD_Tubes = 2;
    state.STD_Data(4, 0) = 1;
    state.STD_Data(5, 0) = 10;
    for (int row = 1; row <= 5; ++row)
      for (int tube = 1; tube <= 2; ++tube) state.STD_Count(row, tube) = 1000 * row;
  }

  // The enabled state of buttons 0..11 of the conditions screen after the rule ran there.
  std::map<int, bool> buttons_after_rule() {
    state.Active_Screen = Screen::Conditions;
    program.load(Screen::Conditions);
    Command_Enable(program);
    std::map<int, bool> enabled;
    auto& screen = *program.screen_as<Work_Screen>(Screen::Conditions);
    for (int i = 0; i <= 11; ++i) enabled[i] = screen.Command[i].enabled;
    return enabled;
  }

  static std::map<int, bool> enabled_only(std::initializer_list<int> on) {
    std::map<int, bool> expected;
    for (int i = 0; i <= 11; ++i) expected[i] = false;
    for (int i : on) expected[i] = true;
    return expected;
  }

  testing::Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program;
  Assay_State& state = program.state;
};

TEST_F(Navigation, NothingEnteredLeavesOnlyFileAndExitButtons) {
  program.load(Screen::Data);
  program.load(Screen::Graph);
  program.load(Screen::Result);
  EXPECT_EQ(buttons_after_rule(), enabled_only({0, 1, 5, 6, 7}));
  EXPECT_EQ(program.screen(Screen::Data), nullptr);
  EXPECT_EQ(program.screen(Screen::Graph), nullptr);
  EXPECT_EQ(program.screen(Screen::Result), nullptr);
}

TEST_F(Navigation, IncompleteStandardsCloseTheCurveAndResults) {
  struct Case {
    const char* what;
    void (*spoil)(Assay_State&);
  };
  const Case cases[] = {
      {"a standard without concentration", [](Assay_State& s) { s.STD_Data(5, 0) = 0; }},
      {"a standard not measured", [](Assay_State& s) { s.STD_Count(5, 1) = s.STD_Count(5, 2) = 0; }},
      {"the zero standard not measured", [](Assay_State& s) { s.STD_Count(3, 1) = s.STD_Count(3, 2) = 0; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    complete_assay();
    c.spoil(state);
    program.load(Screen::Data);
    program.load(Screen::Graph);
    program.load(Screen::Result);
    EXPECT_EQ(buttons_after_rule(), enabled_only({0, 1, 2, 5, 6, 7}));
    EXPECT_NE(program.screen(Screen::Data), nullptr) << "the data sheet stays open";
    EXPECT_EQ(program.screen(Screen::Graph), nullptr);
    EXPECT_EQ(program.screen(Screen::Result), nullptr);
  }
}

TEST_F(Navigation, ResultsWaitForTheFirstStandardPlot) {
  complete_assay();
  EXPECT_EQ(buttons_after_rule(), enabled_only({0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11}));
  state.Plot_Stage = 1;
  EXPECT_EQ(buttons_after_rule(), enabled_only({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST_F(Navigation, RuleIgnoresNsbTotalSeraAndSamples) {
  complete_assay();
  state.Plot_Stage = 2;
  state.STD_Count(1, 1) = state.STD_Count(1, 2) = state.STD_Count(2, 1) = state.STD_Count(2, 2) = 0;
  state.Sample_Number = 3;
  state.Sample_Tubes = 2;
  EXPECT_EQ(buttons_after_rule(), enabled_only({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(state.Total_Tubes, 5 * 2 + 3 * 2);
}

TEST_F(Navigation, CancelledConditionDialogInterruptsTheWizard) {
  program.show(Screen::Conditions);
  auto& conditions = *program.screen_as<Work_Screen>(Screen::Conditions);
  conditions.Command[14].on_click();
  EXPECT_EQ(platform.messages,
            (std::vector<std::string>{"保存された条件設定を読み込みます", "ウィザードは中断されました"}));
  EXPECT_EQ(state.Wizard_Mode, 0);
  ASSERT_EQ(platform.dialogs.size(), 1u);
  EXPECT_EQ(platform.dialogs[0].title, "条件を開く");
  // With the wizard over, the next request is an ordinary one again.
  state.Screen_No = 1;
  Command_Exec(program, target::Help);
  EXPECT_NE(program.screen(Screen::Help), nullptr);
}

TEST_F(Navigation, ExitAsksAndOnNoChangesNothing) {
  testing::write_bytes(Scratch_File_Name, "12345678");
  program.show(Screen::Conditions);
  platform.yes_no_answers = {false};
  Command_Exec(program, target::Exit);
  EXPECT_EQ(platform.questions, (std::vector<std::string>{"システムを終了します　よろしいですか？"}));
  EXPECT_FALSE(platform.quit_requested);
  EXPECT_NE(program.screen(Screen::Conditions), nullptr);
  EXPECT_TRUE(std::filesystem::exists(Scratch_File_Name));
}

TEST_F(Navigation, ExitWithYesDeletesTheScratchFileAndEnds) {
  for (bool scratch_exists : {true, false}) {
    SCOPED_TRACE(scratch_exists ? "with temp.dat" : "without temp.dat");
    ui::Scripted_Platform fresh_platform;
    Program fresh(fresh_platform);
    if (scratch_exists) testing::write_bytes(Scratch_File_Name, "12345678");
    fresh.show(Screen::Conditions);
    fresh_platform.yes_no_answers = {true};
    Command_Exec(fresh, target::Exit);
    EXPECT_TRUE(fresh_platform.quit_requested);
    EXPECT_TRUE(fresh.ended());
    EXPECT_EQ(fresh.screen(Screen::Conditions), nullptr);
    EXPECT_FALSE(std::filesystem::exists(Scratch_File_Name));
    EXPECT_TRUE(fresh_platform.messages.empty());
  }
}

TEST_F(Navigation, RequestsWithoutMeaningDoNothing) {
  program.show(Screen::Conditions);
  for (int request : {13, 14, 16, 99}) Command_Exec(program, request);
  state.Screen_No = 3;
  Command_Exec(program, target::Save);  // results only
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(platform.dialogs.empty());
  EXPECT_EQ(program.desktop.forms().size(), 1u);
}

TEST_F(Navigation, FailedPrintIsReportedInsteadOfFinished) {
  program.show(Screen::Conditions);
  platform.recorder.failing_with = "プリンタに出力できません";
  state.Screen_No = 1;
  Command_Exec(program, target::Print);
  EXPECT_EQ(platform.messages, (std::vector<std::string>{"印刷できませんでした\nプリンタに出力できません"}));
}

TEST_F(Navigation, PrinterSetupGoesToThePlatform) {
  Command_Exec(program, target::Printer_Setup);
  EXPECT_EQ(platform.printer_setups, 1);
}

}  // namespace
}  // namespace quorin
