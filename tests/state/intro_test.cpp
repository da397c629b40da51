// The start-up screen: its animation by ticks, the start and abort buttons and the
// administrator key.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "data/scratch_file.h"
#include "state/navigation.h"
#include "state/program.h"
#include "state/reg_intro.h"
#include "support/test_support.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

class Intro : public ::testing::Test {
 protected:
  Intro() : program(platform) { program.start(); }
  Reg_Intro& intro() { return *program.screen_as<Reg_Intro>(Screen::Intro); }
  void tick_to(int tick) {
    while (intro().Intro_Tick < tick) intro().Timer1.on_timer();
  }

  testing::Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program;
};

TEST_F(Intro, EmblemGrowsForSixTicksThenLabelsAndButtonsAppear) {
  EXPECT_EQ(intro().caption, "Competitive Radioassay");
  EXPECT_FALSE(intro().Picture1.visible);
  EXPECT_FALSE(intro().Command2.enabled);
  EXPECT_TRUE(intro().Command1.enabled);

  tick_to(1);
  const ui::Picture_Area& picture = intro().Picture1;
  EXPECT_TRUE(picture.visible);
  EXPECT_EQ((std::array{picture.left, picture.top, picture.width, picture.height}),
            (std::array{3400, 1300, 1200, 400}));
  tick_to(6);
  EXPECT_EQ((std::array{picture.left, picture.top, picture.width, picture.height}), (std::array{400, 300, 7200, 2400}));
  EXPECT_FALSE(intro().Label1[0].visible);
  EXPECT_EQ(platform.events_processed, 6) << "each growth step is drawn at once";

  tick_to(7);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(intro().Label1[i].visible);
  EXPECT_EQ(intro().Label1[0].caption, "QUORIN for Windws");
  EXPECT_EQ(intro().Label1[2].caption, "Ｖｅｒ１．３０ (000515)");
  EXPECT_TRUE(intro().Command2.enabled);
  EXPECT_EQ(intro().focused(), &intro().Command1);
}

TEST_F(Intro, StartButtonTakesTheFocusBackOnlyUntilTick50) {
  tick_to(49);
  intro().set_focus(intro().Command2);
  tick_to(50);
  EXPECT_EQ(intro().focused(), &intro().Command1);
  intro().set_focus(intro().Command2);
  intro().Timer1.on_timer();
  intro().Timer1.on_timer();
  EXPECT_EQ(intro().Intro_Tick, 50);
  EXPECT_EQ(intro().focused(), &intro().Command2);
}

TEST_F(Intro, StartDuringTheAnimationOpensTheConditionsScreen) {
  tick_to(3);
  intro().Command1.on_click();
  EXPECT_EQ(program.screen(Screen::Intro), nullptr);
  EXPECT_EQ(program.desktop.front(), program.screen(Screen::Conditions));
  EXPECT_EQ(program.state.Admin_Mode, 0);
}

TEST_F(Intro, AdministratorKeyCountsWithinThe30FirstTicks) {
  tick_to(29);
  intro().Command1.on_key_press(Reg_Intro::Admin_Key);
  EXPECT_EQ(platform.messages, (std::vector<std::string>{"Welcome administrator!!"}));
  EXPECT_EQ(program.state.Admin_Mode, 1);
  EXPECT_EQ(program.screen(Screen::Intro), nullptr);
  EXPECT_NE(program.screen(Screen::Conditions), nullptr);
}

TEST_F(Intro, AdministratorKeyIsRefusedLateOrInLowerCase) {
  tick_to(20);
  intro().Command1.on_key_press(Reg_Intro::Admin_Key + ('a' - 'A'));
  intro().Command1.on_key_press('X');
  tick_to(30);
  intro().Command1.on_key_press(Reg_Intro::Admin_Key);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(program.state.Admin_Mode, 0);
  EXPECT_NE(program.screen(Screen::Intro), nullptr);
}

TEST_F(Intro, AbortEndsWithoutTouchingTheScratchFile) {
  testing::write_bytes(Scratch_File_Name, "12345678");
  tick_to(7);
  intro().Command2.on_click();
  EXPECT_TRUE(platform.quit_requested);
  EXPECT_TRUE(program.ended());
  EXPECT_TRUE(platform.questions.empty());
  EXPECT_TRUE(std::filesystem::exists(Scratch_File_Name));
}

}  // namespace
}  // namespace quorin
