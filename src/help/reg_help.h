#pragma once
// The help screen: a scrolling column of keywords read from "help.csv"; clicking one shows its
// title, the section of the program it belongs to and its explanation. A button shows
// "readme.csv" instead, another closes the screen (it is built afresh, and the help file read
// again, the next time it is shown).

#include <vector>

#include "engine/assay_state.h"
#include "help/help_file.h"
#include "ui/form.h"

namespace quorin {

class Program;

class Reg_Help : public ui::Form {
 public:
  explicit Reg_Help(Program& program);
  void load() override;

  // Keyword i is Label1[i], i = 1 .. 100, standing 300 twips apart in Picture2.
  static constexpr int Keyword_Pitch = 300;
  static constexpr int Keyword_Height = 255;
  // Keywords that stand at these places are the section headings of the help file.
  static constexpr int Heading_Positions[] = {1, 23, 42, 59, 76, 86};

  ui::Label& Label2;
  ui::Command_Button& Command1;  // close
  ui::Command_Button& Command2;  // show the readme
  ui::Picture_Area& Picture1;    // window onto the keyword list
  ui::Picture_Area& Picture2;    // the keyword list, scrolled inside Picture1
  ui::Control_Array<ui::Label> Label1{"Label1"};
  ui::Scroll_Bar& VScroll1;
  ui::Text_Box& Text2;  // title
  ui::Text_Box& Text1;  // explanation or readme
  ui::Text_Box& Text3;  // section

  // Shows the topic of a screen (its heading in the help file, or its own keyword), the keyword
  // brought into view; the list as it stands when the file has no such topic.
  void open_on(Screen from);

  // The topic of keyword i (1-based), as read at load.
  const help::Help_Topic& topic(int i) const { return topics_.at(static_cast<std::size_t>(i) - 1); }
  int topic_count() const { return static_cast<int>(topics_.size()); }

 private:
  void show_topic(int i);
  void show_readme();
  Program& program_;
  std::vector<help::Help_Topic> topics_;
};

}  // namespace quorin
