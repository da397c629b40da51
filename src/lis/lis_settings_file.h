#pragma once
// The lab's LIS settings as the screens keep them: a UTF-8 text file beside the control history
// (<data folder>/lis-settings.txt), one "key=value" line each after a first line naming the file:
//
//   QUORIN LIS settings 1
//   lis=lis.lab.example:2575
//   timeout=30
//   sending_facility=RIA LAB
//   receiving_application=LIS
//   receiving_facility=HOSPITAL
//
// Every key stands once. A file that is not such a file is told as damaged and never written over
// without the user's word.

#include <string>
#include <string_view>

#include "lis/lis_result.h"

namespace quorin::lis {

// The longest name the settings take, in bytes: an HL7 name field holds far less than a line.
inline constexpr std::size_t Longest_Lab_Name = 180;

// A lab's name as the settings file, the dialog and the command line take it: without blanks at
// either end and without line breaks (text::Text_Clean), as `name`. nullptr, or how it must be
// given when it cannot be taken ("180 バイト以内で"): blank, not UTF-8 (a name typed in a code
// page 932 terminal) or too long. A name that is not UTF-8 would make messages the LIS cannot read.
const char* take_lab_name(std::string_view given, std::string& name);

// The settings file, "" when there is no folder for it (HOME not set).
std::string lis_settings_path();

struct Settings_Read {
  enum class Kind { Missing, Read, Damaged } kind = Kind::Missing;
  LIS_Settings settings;
  std::string message;  // for Damaged: what is wrong, naming the file and the line
};

Settings_Read read_lis_settings(const std::string& path);

// Saves the settings in one piece (an earlier file stays whole when the save fails); "" or why not.
std::string save_lis_settings(const std::string& path, const LIS_Settings& settings);

// What the settings lack before a message can be made: the first of the three names left empty,
// as a sentence; "" when all are given.
std::string missing_lab_name(const LIS_Settings& settings);

}  // namespace quorin::lis
