#pragma once
// The conditions screen: the assay's conditions in 33 numbered entry boxes. A box is checked
// and copied into the assay state when it loses the focus after a key other than Enter was
// pressed in it; Enter moves on to the next field shown.

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
  // refuses an out-of-limit count with a message and puts the stored value back in the box.
  void commit(int i);
  // Shows the boxes and labels of standards 1..STD_Number and hides the others (their texts stay).
  void show_standard_fields();

 private:
  void key_down(int i, int key_code);
  void lost_focus(int i);
  Program& program_;
};

}  // namespace quorin
