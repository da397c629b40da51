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
  // The texts of the 33 boxes, box 0 first.
  std::vector<std::string> box_texts() {
    std::vector<std::string> texts;
    for (int i = 0; i <= 32; ++i) texts.push_back(info(i).text);
    return texts;
  }
  // The standards whose box and label are shown.
  std::vector<int> shown_standards() {
    std::vector<int> shown;
    for (int k = 1; k <= 20; ++k) {
      EXPECT_EQ(info(12 + k).visible, screen().Label1[12 + k].visible) << "standard " << k;
      if (info(12 + k).visible) shown.push_back(k);
    }
    return shown;
  }
  static std::vector<int> one_to(int n) {
    std::vector<int> numbers;
    for (int k = 1; k <= n; ++k) numbers.push_back(k);
    return numbers;
  }

  testing::Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program;
  Assay_State& state = program.state;
};

}  // namespace quorin
