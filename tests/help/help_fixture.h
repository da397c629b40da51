#pragma once
// A program in a scratch working folder, with help files written there in code page 932.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "help/reg_help.h"
#include "state/program.h"
#include "support/test_support.h"
#include "ui/scripted_platform.h"

namespace quorin::testing {

// Lines in UTF-8 joined with CR LF and converted to code page 932.
inline std::string cp932_lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return cp932(text);
}

// "<section>,<kind>,<title>,<text>" records numbered from 1: title "項目k", text "説明k".
inline std::vector<std::string> numbered_records(int count) {
  std::vector<std::string> records;
  for (int k = 1; k <= count; ++k) records.push_back("1,0,項目" + std::to_string(k) + ",説明" + std::to_string(k));
  return records;
}

class Help_Screen : public ::testing::Test {
 protected:
  Help_Screen() : program(platform) {}

  void write_help(const std::vector<std::string>& lines) { write_bytes(folder.file("help.csv"), cp932_lines(lines)); }
  void write_readme(const std::vector<std::string>& lines) {
    write_bytes(folder.file("readme.csv"), cp932_lines(lines));
  }
  Reg_Help& open_help() {
    program.show(Screen::Help);
    return *program.screen_as<Reg_Help>(Screen::Help);
  }

  Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program;
};

}  // namespace quorin::testing
