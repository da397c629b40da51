#pragma once
// The small dialog of the lab's LIS settings: where the LIS listens (HOST:PORT), how long to wait
// for it, and the three names every message carries. They are kept in the settings file
// (lis_settings_file.h); a file that cannot be read is told, and replaced only when the user
// agrees.

#include <array>
#include <string>

#include "ui/form.h"

namespace quorin {

class Program;

class Reg_LIS : public ui::Form {
 public:
  explicit Reg_LIS(Program& program);
  void load() override;

  // 0 HOST:PORT, 1 time-out in seconds, 2 sending facility, 3 receiving application, 4 receiving facility.
  ui::Control_Array<ui::Text_Box> Box{"Box"};
  ui::Label& File_Label;
  ui::Command_Button& Save;
  ui::Command_Button& Cancel;

 private:
  // Checks the boxes and saves them; the dialog closes once they are saved, and stays with a
  // message saying what is wrong otherwise.
  void save();

  Program& program_;
  std::string path_;
  bool damaged_ = false;  // the file there could not be read: replaced only when the user agrees
};

}  // namespace quorin
