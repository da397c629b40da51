// The start-up screen: its animation by ticks, the start and abort buttons and the
// administrator key.

#include <gtest/gtest.h>

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

TEST_F(Intro, EmblemGrowsThenTheStartButtonKeepsTheFocusUntilTick50) {
  tick_to(6);
  EXPECT_TRUE(intro().Picture1.visible);
  EXPECT_FALSE(intro().Label1[0].visible || intro().Command2.enabled);
  EXPECT_EQ(platform.events_processed, 6) << "each growth step is drawn at once";
  tick_to(49);
  EXPECT_TRUE(intro().Label1[3].visible && intro().Command2.enabled);
  intro().set_focus(intro().Command2);
  tick_to(50);
  EXPECT_EQ(intro().focused(), &intro().Command1);
  intro().set_focus(intro().Command2);
  intro().Timer1.on_timer();
  EXPECT_EQ(intro().Intro_Tick, 50) << "the animation is over";
  EXPECT_EQ(intro().focused(), &intro().Command2);
}

// The administrator key counts only in upper case within the 30 first ticks; abort ends without
// touching the scratch file.
TEST_F(Intro, AdministratorKeyStartAndAbort) {
  for (const int last_tick : {29, 30}) {
    Program fresh(platform);
    fresh.start();
    auto& screen = *fresh.screen_as<Reg_Intro>(Screen::Intro);
    while (screen.Intro_Tick < last_tick) screen.Timer1.on_timer();
    for (const int key : {int{Reg_Intro::Admin_Key} + 'a' - 'A', int{'X'}, int{Reg_Intro::Admin_Key}})
      screen.Command1.on_key_press(key);
    if (fresh.screen(Screen::Intro) != nullptr) screen.Command1.on_click();
    EXPECT_EQ(fresh.state.Admin_Mode, last_tick < 30 ? 1 : 0);
    EXPECT_EQ(fresh.screen(Screen::Intro), nullptr);
    EXPECT_EQ(fresh.desktop.front(), fresh.screen(Screen::Conditions));
  }
  EXPECT_EQ(platform.messages, (std::vector<std::string>{"Welcome administrator!!"}));
  testing::write_bytes(Scratch_File_Name, "12345678");
  tick_to(7);
  intro().Command2.on_click();
  EXPECT_TRUE(platform.quit_requested && program.ended());
  EXPECT_TRUE(platform.questions.empty());
  EXPECT_TRUE(std::filesystem::exists(Scratch_File_Name));
}

}  // namespace
}  // namespace quorin
