// Row editing on the data sheet: inserting an empty count at the cursor row, deleting the count
// there (only counts move; every row keeps its REMARK), and changing the number of samples,
// during which Command1 and Command2 execute and cancel the change. An insertion or deletion is
// copied back into the count tables at once, so that the counts the sheet shows are those in
// force for every result.
#include "data/reg_data.h"
#include "state/commands.h"
#include "state/program.h"
#include "text/format.h"
#include "text/number_text.h"

namespace quorin {

void Reg_Data::command1_click() {
  commit_edit();
  if (Change_Mode == 1) Change_Execute();
  else Row_Insert();
}

void Reg_Data::command2_click() {
  commit_edit();
  if (Change_Mode == 1) Change_End();
  else Row_Delete();
}

void Reg_Data::Row_Insert() {
  const long row = current_row();
  if (row > layout_.total()) return;
  if (!scratch_.insert_count(row, layout_.total())) return scratch_failed(Scratch_Io_Failed);
  program_.state.Counts_Unsaved = true;
  Cell_Dirty = 1;
  Cell_Get();
  Data_Disp();
}

void Reg_Data::Row_Delete() {
  const long row = current_row();
  if (row > layout_.total()) return;
  if (!scratch_.delete_count(row, layout_.total())) return scratch_failed(Scratch_Io_Failed);
  program_.state.Counts_Unsaved = true;
  Cell_Dirty = 1;
  Cell_Get();
  Data_Disp();
}

void Reg_Data::Change_Start() {
  Change_Mode = 1;
  Text2.text = text::bare_text(program_.state.Sample_Number);
  Text2.visible = true;
  Command1.caption = "実　行";
  Command2.caption = "中　止";
  for (int i = target::Open_File; i <= target::Sample_Table; ++i)
    if (Command.has(i)) Command[i].enabled = false;
  Command3.enabled = false;
  set_focus(Text2);
  Text2.caret = static_cast<int>(Text2.text.size());
}

void Reg_Data::Change_Execute() {
  const std::optional<Long> number =
      text::starts_with_number(Text2.text) ? text::to_long(text::Val(Text2.text)) : std::nullopt;
  if (!number || *number < 1 || *number > Max_Samples) {
    program_.platform.message("サンプルの点数は１０万までです");
    set_focus(Text2);
    return;
  }
  // An insertion or deletion not yet copied back would be lost when the sheet is rebuilt.
  if (Cell_Dirty == 1) Cell_Get();
  program_.state.Sample_Number = *number;
  Cell_Set();
  Change_End();
}

void Reg_Data::Change_End() {
  Change_Mode = 0;
  Text2.visible = false;
  Command1.caption = "挿　入";
  Command2.caption = "削　除";
  Command3.enabled = true;
  Cell_Focus();
  enable_commands();
}

}  // namespace quorin
