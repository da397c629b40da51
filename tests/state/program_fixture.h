#pragma once
// A program on the scripted platform, run in a fresh working folder: the fixtures the screens'
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

// The example assay through the wizard from the start-up screen: its tables shown.
class Example_Assay_Test : public Program_Test {
 protected:
  Example_Assay_Test() { run_wizard(program, platform, Example_Conditions, Example_Counts); }
};

}  // namespace quorin::testing
