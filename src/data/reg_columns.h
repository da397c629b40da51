#pragma once
// The small dialog that asks which columns of a counter's export hold the counts and the sample
// identifiers, by their header names, offering the file's headers and the last choice.

#include <memory>
#include <string>
#include <vector>

#include "ui/form.h"

namespace quorin {

class Program;

class Reg_Columns : public ui::Form {
 public:
  explicit Reg_Columns(Program& program);
  // Offers the export at `path` with its headers; the boxes hold the last choice.
  void ask(const std::string& path, const std::vector<std::string>& headers);

  ui::Label& File_Label;
  ui::Label& Headers_Label;
  ui::Text_Box& Count_Box;  // the header of the counts' column
  ui::Text_Box& Id_Box;     // the header of the identifiers' column, empty for none
  ui::Command_Button& Load;
  ui::Command_Button& Cancel;

 private:
  // Takes the boxes as the columns in force and loads the export; a header the file does not
  // have is refused with the file's headers, and the dialog stays.
  void load_export();

  Program& program_;
  std::string path_;
  std::vector<std::string> headers_;
};

}  // namespace quorin
