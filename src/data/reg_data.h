#pragma once
// The data entry screen: every tube of the assay as one row of a 20-row sheet (row number,
// REMARK, concentration, measured count), paged with a vertical scroll bar. The rows live in
// the sheet's own scratch file; a committed edit goes to the file and is then copied back into
// the count tables. The screen also loads and saves count data files, inserts and deletes
// counts, changes the number of samples and prints the sheet.

#include "data/scratch_file.h"
#include "data/sheet_layout.h"
#include "state/work_screen.h"

namespace quorin {

class Program;

inline constexpr const char* Scratch_Create_Failed =
    "作業ファイルを作成できません。メモリの空きを確かめてから、データ表示画面を開き直してください";
inline constexpr const char* Scratch_Io_Failed = "作業ファイルを読み書きできません。データ表示画面を開き直してください";

class Reg_Data : public Work_Screen {
 public:
  static constexpr int Page_Rows = 20;
  static constexpr int Row_Height = 330;

  explicit Reg_Data(Program& program);
  void load() override;

  // Cell labels: 0..19 row numbers, 20..39 REMARK, 40..59 concentrations, 60..79 counts.
  ui::Control_Array<ui::Label> Label1{"Label1"};
  ui::Control_Array<ui::Label> Heading{"Heading"};
  ui::Text_Box& Text1;           // the cell editor over the current row's count
  ui::Scroll_Bar& VScroll1;      // its value is the page
  ui::Command_Button& Command1;  // insert, or execute in change mode
  ui::Command_Button& Command2;  // delete, or cancel in change mode
  ui::Command_Button& Command3;  // change the number of samples
  ui::Text_Box& Text2;           // the number of samples in change mode
  // 0 "計数器読込" (a counter's export), 1 "ID読込" (the samples' identifiers).
  ui::Control_Array<ui::Command_Button> Lab_File{"Lab_File"};

  int Sheet_Page = 0;
  int Sheet_Row = 0;
  int Cell_Dirty = 0;
  int Change_Mode = 0;

  // Rebuilds the scratch file from the count tables and shows the current page. False (after a
  // message) when the scratch file cannot be written; the sheet then shows no rows.
  bool Cell_Set();
  void Data_Disp();
  // Copies the sheet back into the count tables.
  void Cell_Get();
  void Cell_Focus();
  void Data_Save();
  // Stores a count typed into the editor and not yet entered, as leaving the row would.
  void take_typed_count() { commit_edit(); }

  // The rows as the sheet shows them, for the printout (no rows when it could not be built).
  const Sheet_Layout& layout() const { return layout_; }
  Scratch_File& scratch() { return scratch_; }
  long current_row() const { return static_cast<long>(Page_Rows) * Sheet_Page + Sheet_Row + 1; }

 private:
  ui::Text_Box& add_cells_then_editor();
  void build_controls();
  void key_down(int key);
  void move_up();
  void move_down();
  void start_typing();
  // Marks the current row's cells, so that the user sees the row that 挿入 and 削除 act on.
  void mark_current_row();
  // Stores the editor's text as the current row's count when it was typed into, then refreshes
  // the tables, the page and the buttons. False, after a message, when the text is no count
  // (beyond the 32-bit range): the row keeps its count and the editor shows it again.
  bool commit_edit();
  void page_changed();
  void command_click(int index);
  // Tells the user and shows no rows from then on: a sheet whose file failed is not trusted.
  void scratch_failed(const char* message);
  // The button-state rule for this screen; the change mode keeps buttons 0..11 disabled.
  void enable_commands();

  // Row editing.
  void command1_click();
  void command2_click();
  void Row_Insert();
  void Row_Delete();
  void Change_Start();
  void Change_Execute();
  void Change_End();

  Program& program_;
  Scratch_File scratch_;
  // The shape the scratch file was built with: its rows are read back into these cells even
  // when the conditions have changed since.
  Sheet_Layout layout_;
  // Typed into (or clicked) since the editor was last filled. Edit_Flag says the same but is
  // shared with the conditions screen, so only this tells that the editor holds the user's text.
  bool editor_typed_ = false;
};

}  // namespace quorin
