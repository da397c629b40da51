#include "data/reg_data.h"

#include <algorithm>
#include <utility>

#include "data/data_procedures.h"
#include "state/commands.h"
#include "state/program.h"
#include "text/format.h"
#include "text/number_text.h"

namespace quorin {

namespace {

struct Column {
  const char* heading;
  int left;
  int width;
  ui::Align alignment;
};
// Row number, REMARK, concentration, measured count; cell label k + 20·column shows body row k.
constexpr Column Columns[] = {{"No.", 0, 855, ui::Align::Right},
                              {"REMARK", 840, 2055, ui::Align::Left},
                              {"濃　度", 2880, 1335, ui::Align::Right},
                              {"測定値", 4200, 1335, ui::Align::Right}};
constexpr int Count_Column = 3;
// The cells of the current row, beside the editor over its count.
constexpr ui::Colour Current_Row{204, 228, 255};

struct Button {
  int index;
  const char* caption;
  int left;
  int top;
  int width;
};
constexpr int First_Row = 7080, Second_Row = 7560, Third_Row = 8040, Button_Height = 405;
constexpr Button Buttons[] = {{target::Open_File, "データ読込", 120, First_Row, 1095},
                              {target::Save, "データ保存", 1320, First_Row, 1095},
                              {target::Print, "データ印刷", 2520, First_Row, 1095},
                              {target::Help, "Help", 5160, First_Row, 585},
                              {target::Standard_Curve, "検量線表示", 120, Second_Row, 1095},
                              {target::Results, "測定結果", 1320, Second_Row, 1095},
                              {target::Conditions, "条件設定", 2520, Second_Row, 1095},
                              // Set 75 twips left of the Help button above it, so that its
                              // caption's three full-width characters fit inside the window.
                              {target::Exit, "終　了", 5085, Second_Row, 660}};
// The button-state rule sets buttons 0..11 on every work screen; these have no place here.
constexpr int Hidden_Buttons[] = {target::Data_Sheet, target::Switch_View, target::Standard_Table, target::Sera_Table,
                                  target::Sample_Table};

constexpr const char* Count_Out_Of_Range = "測定値は -2147483648 から 2147483647 までです";

}  // namespace

Reg_Data::Reg_Data(Program& program)
    : Work_Screen("データ入力", 5760, 8520),
      Text1(add_cells_then_editor()),
      VScroll1(add<ui::Scroll_Bar>("VScroll1", 5520, Row_Height, 240, 6615, /*vertical=*/true)),
      Command1(add<ui::Command_Button>("Command1", 3720, First_Row, 675, Button_Height)),
      Command2(add<ui::Command_Button>("Command2", 4440, First_Row, 675, Button_Height)),
      Command3(add<ui::Command_Button>("Command3", 3720, Second_Row, 1335, Button_Height)),
      // Under "総ﾁｭｰﾌﾞ数変更", where no button covers it.
      Text2(add<ui::Text_Box>("Text2", 3720, Third_Row, 1335, Button_Height)),
      program_(program) {
  build_controls();
}

// The cells come first so that the editor, created after them, lies over them.
ui::Text_Box& Reg_Data::add_cells_then_editor() {
  for (int c = 0; c < 4; ++c) {
    const Column& column = Columns[c];
    ui::Label& heading = add(Heading, c, column.left, 0, column.width, Row_Height);
    heading.caption = column.heading;
    heading.alignment = ui::Align::Center;
    heading.border = true;
    for (int k = 0; k < Page_Rows; ++k) {
      const int index = c * Page_Rows + k;
      ui::Label& cell = add(Label1, index, column.left, Row_Height * (k + 1), column.width, Row_Height);
      cell.alignment = column.alignment;
      cell.border = true;
      cell.opaque = true;
      // Any cell of a row makes it the current row.
      cell.on_click = [this, k] {
        commit_edit();
        Sheet_Row = k;
        Cell_Focus();
      };
    }
  }
  return add<ui::Text_Box>("Text1", Columns[Count_Column].left, Row_Height, Columns[Count_Column].width, Row_Height);
}

void Reg_Data::build_controls() {
  Text1.alignment = ui::Align::Right;
  Text1.on_key_down = [this](int key, int) { key_down(key); };
  Text1.on_click = [this] { start_typing(); };

  VScroll1.min = 0;
  VScroll1.max = 0;
  VScroll1.small_change = 1;
  VScroll1.large_change = 1;
  VScroll1.on_change = [this] { page_changed(); };

  for (const Button& b : Buttons) add(Command, b.index, b.left, b.top, b.width, Button_Height).caption = b.caption;
  Command[target::Exit].font_size = 8;  // its place at the right edge is narrow
  for (int index : Hidden_Buttons) {
    ui::Command_Button& button = add(Command, index, 0, 0, 1095, Button_Height);
    button.caption = index == 2 ? "条件設定" : "検量線表示";
    button.visible = false;
  }
  for (auto& [index, button] : Command) button->on_click = [this, i = index] { command_click(i); };
  close_control = &Command[target::Exit];

  Command1.caption = "挿入";
  Command2.caption = "削除";
  Command3.caption = "総ﾁｭｰﾌﾞ数変更";
  Command1.on_click = [this] { command1_click(); };
  Command2.on_click = [this] { command2_click(); };
  Command3.on_click = [this] {
    commit_edit();
    Change_Start();
  };
  Text2.alignment = ui::Align::Right;
  Text2.visible = false;
  const char* lab_files[] = {"計数器読込", "ID読込"};
  for (int f = 0; f < 2; ++f) {
    ui::Command_Button& button = add(Lab_File, f, 120 + 1200 * f, Third_Row, 1095, Button_Height);
    button.caption = lab_files[f];
    button.on_click = [this, f] {
      commit_edit();
      f == 0 ? Counter_Open(program_) : Ids_Load(program_);
    };
  }
}

void Reg_Data::load() {
  Sheet_Page = 0;
  Sheet_Row = 0;
  program_.state.Active_Screen = Screen::Data;
  program_.enable_commands();
  if (program_.screen(Screen::Data) != this) return;  // nothing to enter: the rule closed the sheet
  if (!scratch_.open_anonymous()) {
    program_.platform.message(Scratch_Create_Failed);
    program_.close(Screen::Data);
    return;
  }
  set_focus(Command[target::Open_File]);
}

bool Reg_Data::Cell_Set() {
  commit_edit();  // a count typed before the user turned to another screen
  Assay_State& state = program_.state;
  const Sheet_Layout layout = Sheet_Layout::of(state);
  const long total = layout.total();
  state.Total_Tubes = static_cast<Long>(total);
  if (total <= 0 || !layout.fits_tables()) return true;

  if (!scratch_.open_anonymous()) {
    scratch_failed(Scratch_Create_Failed);
    return false;
  }
  // The group field is 16 bits wide: sample numbers above 32767 are stored wrapped. The sheet
  // takes its REMARK texts from the row's position, so they are always right.
  const bool rebuilt = scratch_.rebuild(total, [&](auto&& put) {
    for_each_tube(std::as_const(state), layout, [&](const Long& count, long group, long tube) {
      put({count, static_cast<Integer>(group), static_cast<Integer>(tube)});
    });
  });
  if (!rebuilt) {
    scratch_failed(Scratch_Io_Failed);
    return false;
  }
  layout_ = layout;
  VScroll1.set_range(0, static_cast<int>(total / Page_Rows));
  Data_Disp();
  return true;
}

void Reg_Data::scratch_failed(const char* message) {
  layout_ = {};
  program_.platform.message(message);
  Data_Disp();
}

void Reg_Data::Data_Disp() {
  const Assay_State& state = program_.state;
  const long first = static_cast<long>(Page_Rows) * Sheet_Page + 1;
  const long shown = std::clamp(layout_.total() - first + 1, 0L, static_cast<long>(Page_Rows));
  Cell_Rec records[Page_Rows];
  if (shown > 0 && !scratch_.read(first, shown, records)) return scratch_failed(Scratch_Io_Failed);

  for (int k = 0; k < Page_Rows; ++k) {
    const long row = first + k;
    Label1[k].caption = text::bare_text(row);
    const bool on_sheet = k < shown;
    Label1[Page_Rows + k].caption = on_sheet ? remark_text(layout_, row) : "";
    Label1[2 * Page_Rows + k].caption = on_sheet ? concentration_text(state, layout_, row) : "";
    Label1[3 * Page_Rows + k].caption = on_sheet ? count_text(records[k].count) : "";
  }
  Cell_Focus();
}

void Reg_Data::mark_current_row() {
  for (int c = 0; c < Count_Column; ++c)
    for (int k = 0; k < Page_Rows; ++k)
      Label1[c * Page_Rows + k].back_colour = k == Sheet_Row ? Current_Row : ui::White;
}

void Reg_Data::Cell_Focus() {
  Text1.text.clear();
  Text1.top = Row_Height * (Sheet_Row + 1);
  mark_current_row();
  if (current_row() <= layout_.total()) {
    Cell_Rec record;
    if (!scratch_.read(current_row(), 1, &record)) return scratch_failed(Scratch_Io_Failed);
    if (record.count != 0) Text1.text = text::bare_text(record.count);
  }
  set_focus(Text1);
  Text1.caret = 0;
  program_.state.Edit_Flag = 0;
  editor_typed_ = false;
}

void Reg_Data::Cell_Get() {
  const long total = layout_.total();
  if (total > 0) {
    std::vector<Cell_Rec> records(static_cast<std::size_t>(total));
    if (!scratch_.read(1, total, records.data())) return scratch_failed(Scratch_Io_Failed);
    std::size_t k = 0;
    // The sheet's own layout: its rows go back to the cells they were taken from, even when the
    // conditions have changed since the sheet was built.
    for_each_tube(program_.state, layout_, [&](Long& cell, long, long) { cell = records[k++].count; });
  }
  Cell_Dirty = 0;
}

void Reg_Data::key_down(int key) {
  Assay_State& state = program_.state;
  switch (key) {
    case ui::Key_Return:
      if (commit_edit()) move_down();
      break;
    case ui::Key_Up:
      if (state.Edit_Flag == 0) move_up();
      break;
    case ui::Key_Down:
      if (state.Edit_Flag == 0) move_down();
      break;
    default: start_typing(); break;
  }
}

void Reg_Data::start_typing() {
  program_.state.Edit_Flag = 1;
  editor_typed_ = true;
}

void Reg_Data::move_up() {
  if (Sheet_Row > 0) {
    --Sheet_Row;
    Cell_Focus();
  } else if (Sheet_Page > 0) {
    Sheet_Row = Page_Rows - 1;
    VScroll1.set_value(Sheet_Page - 1);
  }
}

void Reg_Data::move_down() {
  if (Sheet_Row < Page_Rows - 1) {
    ++Sheet_Row;
    Cell_Focus();
  } else if (Sheet_Page < VScroll1.max) {
    Sheet_Row = 0;
    VScroll1.set_value(Sheet_Page + 1);
  }
}

bool Reg_Data::commit_edit() {
  if (!editor_typed_) return true;
  const long row = current_row();
  if (row <= layout_.total()) {
    const std::optional<Long> count = text::to_long(text::Val(Text1.text));
    if (!count) {
      program_.platform.message(Count_Out_Of_Range);
      Cell_Focus();
      return false;
    }
    Cell_Rec before;
    if (!scratch_.read(row, 1, &before) || !scratch_.write_count(row, *count)) {
      scratch_failed(Scratch_Io_Failed);
      return false;
    }
    if (before.count != *count) program_.state.Counts_Unsaved = true;
    Cell_Dirty = 1;
  }
  Cell_Get();
  Data_Disp();
  enable_commands();
  return true;
}

void Reg_Data::page_changed() {
  commit_edit();  // a typed count is kept when the user pages away from it
  Sheet_Page = VScroll1.value();
  Data_Disp();
}

void Reg_Data::enable_commands() {
  program_.state.Active_Screen = Screen::Data;
  program_.enable_commands();
  if (Change_Mode == 1)
    for (int i = target::Open_File; i <= target::Sample_Table; ++i)
      if (Command.has(i)) Command[i].enabled = false;
}

void Reg_Data::command_click(int index) {
  commit_edit();
  if (index == target::Save) return Data_Save();
  if (Cell_Dirty == 1) Cell_Get();
  program_.state.Screen_No = screen_no(Screen::Data);
  program_.command(index);  // may close this screen: nothing of it is used afterwards
}

}  // namespace quorin
