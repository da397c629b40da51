#pragma once
// A program on the scripted platform, run in a fresh working folder: the fixture the screens'
// tests share.

#include <gtest/gtest.h>

#include "state/program.h"
#include "support/form_driver.h"
#include "support/test_support.h"
#include "ui/scripted_platform.h"

namespace quorin::testing {

class Program_Test : public ::testing::Test {
 protected:
  Program_Test() : program(platform) {}

  Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program;
  Assay_State& state = program.state;
};

}  // namespace quorin::testing
