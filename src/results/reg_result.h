#pragma once
// The results screen: a paged table of 20 rows and 10 columns that shows one of the four result
// tables, a scroll bar that turns its pages, and the navigation buttons.

#include <cstdint>

#include "results/result_table.h"
#include "state/work_screen.h"

namespace quorin {

class Program;

class Reg_Result : public Work_Screen {
 public:
  static constexpr int Page_Rows = 20;
  static constexpr int Columns = 10;

  explicit Reg_Result(Program& program);
  void load() override;
  void activate() override;

  // Shows a table: caption, headers, its rows and scroll range, then page Result_Page (a new
  // table keeps the page unless it has fewer pages). Asking for one of the three printable
  // tables makes it the one the print button prints.
  void show_table(Result_Kind kind);
  // Shows page Result_Page: row numbers in column 0 on every body row, the cells of the rows
  // that hold data.
  void Page_Disp();
  // Empties the table shown when what it was computed from is no longer in force (the caption
  // says so); the table's button computes and shows it again. A table whose numbers are in force
  // shows the identifiers and flags in force; the CV limit's box shows the limit in force.
  void check_table();

  ui::Control_Array<ui::Label> Label{"Label"};    // the column headers 0..9
  ui::Control_Array<ui::Label> Label1{"Label1"};  // body cell of row i, column j: 20·j + i
  ui::Scroll_Bar& VScroll1;
  // The flags: the one line over the table shown, and the CV limit they are judged with.
  ui::Label& Flag_Label;
  // The whole identifier of the sample of the row chosen (clicked), which its cell may show cut.
  ui::Label& Id_Label;
  // The 95 % interval of the item of the row chosen, "" when it has none.
  ui::Label& Interval_Label;
  ui::Text_Box& CV_Box;
  // 0 "CSV保存", 1 "Excel保存": the results of the three tables for a spreadsheet.
  ui::Control_Array<ui::Command_Button> Export{"Export"};
  // 0 "LIS送信" (greyed, with a tip saying why, when it has nothing to send), 1 "LIS設定".
  ui::Control_Array<ui::Command_Button> LIS{"LIS"};
  Long Result_Page = 0;

  // Chooses table row r (1-based; 0 for none): its cells are marked and, on the sample table,
  // its sample's whole identifier is shown under the table, with the item's interval under it.
  void choose_row(Long row);

 private:
  Program& program_;
  // The button of the table shown is greyed out while the table is current: it would show the
  // same rows again. It comes back when another table is shown or this one goes out of date.
  // Printing waits for one of the three printable tables, the precision profile for the samples'.
  void enable_table_buttons();

  // A new CV limit typed into CV_Box (state/cv_limit.h); the box shows the limit in force after.
  void commit_cv_limit();
  // The flags' limits and summary line of the table shown.
  void show_flags();
  // The whole identifier of the chosen row's sample under the sample table.
  void show_chosen_identifier();
  // The 95 % interval of the chosen row's item, off the curve the table was read off.
  void show_chosen_interval();

  Result_Index table_;
  Long chosen_row_ = 0;
  Flag_Limits limits_;
  // The digest (state/basis.h) of what the table shown was computed from; 0 while none is shown.
  std::uint64_t shown_basis_ = 0;
  // Of what it shows beside its numbers (labels_digest), and the table it holds, shown or emptied.
  std::uint64_t shown_labels_ = 0;
  Result_Kind held_ = Result_Kind::Standard_Data;
  double shown_limit_ = 0;  // the CV limit CV_Box last showed
};

}  // namespace quorin
