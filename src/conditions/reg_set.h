#pragma once
// The conditions screen: the assay's conditions in 33 numbered entry boxes. A box is checked
// (engine/condition_commit.h) and copied into the assay state when it loses the focus after a key other than Enter was
// pressed in it, and at the end of any event that changed it otherwise (the mouse) or turned to
// another window; Enter moves on to the next field shown.

#include <array>
#include <string>

#include "state/work_screen.h"

namespace quorin {

class Program;

class Reg_Set : public Work_Screen {
 public:
  explicit Reg_Set(Program& program);
  void load() override;

  // Box i holds field i of the conditions: 0..5 texts (2 never shown), 6..11 counts,
  // 12 the dilution factor, 12 + k the concentration of standard k.
  ui::Control_Array<ui::Text_Box> info{"info"};
  // The label of each box, by the same index (none for box 2).
  ui::Control_Array<ui::Label> Label1{"Label1"};
  ui::Label& Label2;  // "スタンダード濃度" above the standard column

  // Cleans box i's text, rewrites it in the box's form and stores it in the assay state, or
  // refuses an out-of-limit count, or a concentration or dilution factor that is not one number
  // above 0, with a message and puts the stored value back in the box.
  void commit(int i);
  // Commits every box whose text is not the one its last commit left, except the one the user is
  // typing in (it has the focus, a key was pressed in it and this screen is in front).
  void commit_changed();
  // Shows the boxes and labels of standards 1..STD_Number and hides the others (their texts stay).
  void show_standard_fields();
  // Shows in each box the text the state holds for it where the state's changed since the box's
  // last commit (a condition file or a count file committed it).
  void show_committed_texts();

 private:
  void key_down(int i, int key_code);
  void lost_focus(int i);
  Program& program_;
  // The text each box showed after its last commit (all empty before the first).
  std::array<std::string, 33> committed_texts_;
};

}  // namespace quorin
