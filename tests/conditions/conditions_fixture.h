#pragma once
// A program showing the conditions screen, driven through the form model.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conditions/reg_set.h"
#include "state/program.h"
#include "support/form_driver.h"
#include "support/test_support.h"
#include "ui/scripted_platform.h"

namespace quorin {

class Conditions_Screen : public ::testing::Test {
 protected:
  Conditions_Screen() : program(platform) { program.show(Screen::Conditions); }

  Reg_Set& screen() { return *program.screen_as<Reg_Set>(Screen::Conditions); }
  ui::Text_Box& info(int i) { return screen().info[i]; }

  // Types over box i and moves on to the load button, as a user clicking elsewhere.
  void enter(int i, const std::string& typed) {
    testing::type_over(info(i), typed);
    testing::focus(screen().Command[0]);
  }
  // How many standards have their box and label shown (always the first ones).
  int shown_standards() {
    int shown = 0;
    for (int k = 1; k <= 20; ++k) {
      EXPECT_EQ(info(12 + k).visible, screen().Label1[12 + k].visible) << "standard " << k;
      if (info(12 + k).visible) EXPECT_EQ(shown++, k - 1) << "standard " << k << " follows a hidden one";
    }
    return shown;
  }

  testing::Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program;
  Assay_State& state = program.state;
};

}  // namespace quorin
