// The data sheet: the hand-worked assay's rows, printout and count file; the cell
// editor's keys and paging; a scratch file that cannot be made or is lost; row editing: insertion
// and deletion of counts, and the change of the number of samples.

#include <filesystem>
#include <functional>

#include "data/data_procedures.h"
#include "data/sheet_fixture.h"
#include "support/hand_worked_assay.h"

namespace quorin::testing {
namespace {

using Sheet = Sheet_Test;
using Texts = std::vector<std::string>;

// The sheet of the hand-worked assay (21 rows: two pages), its printout and the count file saved
// from it. (The scratch file behind the sheet is seen through these.)
TEST_F(Sheet, HandWorkedAssayShownPrintedAndSaved) {
  hand_worked(state);
  state.STD_Data(4, STD_Column::Concentration) = 1.5;
  state.Operator_Name = "山田", state.Assay_Date = "2024/05/01";
  state.Substance_Name = "TSH", state.Assay_No = "A-7";
  state.Sample_Count(1, 3) = -3;
  state.Sample_Count(2, 1) = 2147483647;
  ASSERT_NE(open_sheet(), nullptr);
  std::string record = page_text();
  sheet().VScroll1.set_value(1);
  record += page_text();
  click(sheet().Command[target::Print]);
  record += "printout:\n" + lines_of(platform.recorder.ops());
  expect_golden("hand_worked_sheet.txt", record + "count file:\n" + save_counts());
  EXPECT_EQ(platform.messages, Texts{"データ保存が終了しました"}) << "the printout reports nothing";
}

TEST_F(Sheet, KeysMoveAcrossPagesStopAtTheEdgesAndWaitForEnter) {
  set_shape(state, {1, 2, 1, 2, 10, 2});  // 30 rows: pages 0 and 1
  state.Sample_Count(7, 1) = 321;         // row 8 + 2 + 12 + 1 = 23: page 1, row 2
  ASSERT_NE(open_sheet(), nullptr);
  Reg_Data& s = sheet();
  press(s.Text1, ui::Key_Up);
  EXPECT_EQ(s.Sheet_Row, 0);
  click(s.Label1[79]);       // row 20: sample 5, tube 2
  type_over(s.Text1, "77");  // typing freezes up and down until Enter stores and moves on
  press(s.Text1, ui::Key_Up);
  EXPECT_EQ(state.Sample_Count(5, 2), 0) << "nothing stored before Enter";
  press(s.Text1, ui::Key_Return);
  EXPECT_EQ(state.Sample_Count(5, 2), 77);
  EXPECT_EQ(s.VScroll1.value(), 1);
  EXPECT_EQ(column(0).front(), "21");
  for (int k = 0; k < 2; ++k) press(s.Text1, ui::Key_Down);
  EXPECT_EQ(s.Text1.text, "321");
  for (int k = 0; k < 3; ++k) press(s.Text1, ui::Key_Up);
  EXPECT_EQ(std::pair(s.Sheet_Page, s.Sheet_Row), std::pair(0, 19));
  s.VScroll1.set_value(1);
  click(s.Label1[79]);  // the last row of the last page
  press(s.Text1, ui::Key_Down);
  EXPECT_EQ(std::pair(s.Sheet_Page, s.Sheet_Row), std::pair(1, 19));
}

TEST_F(Sheet, TypedTextIsStoredAsTheNearestWholeNumberOrRefusedOrKeptWithoutEnter) {
  // Typed, stored, shown, refused. (Which texts are numbers and which fit in 32 bits is the number
  // reading's test.)
  const std::tuple<const char*, Long, const char*, bool> cases[] = {
      {"13.5", 14, "14", false}, {"abc", 0, "", false}, {"2147483648", 555, "555", true}};
  set_shape(state, Twelve_Rows);
  ASSERT_NE(open_sheet(), nullptr);
  for (const auto& [typed, stored, shown, refused] : cases) {
    SCOPED_TRACE(typed);
    platform.messages.clear();
    state.STD_Count(1, 1) = 555;
    Cell_Set(program);
    sheet().Sheet_Row = 0;
    sheet().Cell_Focus();
    enter_count(typed);
    EXPECT_EQ(state.STD_Count(1, 1), stored);
    EXPECT_EQ(column(3)[0], shown);
    EXPECT_EQ(platform.messages, refused ? Texts{"測定値は -2147483648 から 2147483647 までです"} : Texts{});
    EXPECT_EQ(sheet().Sheet_Row, refused ? 0 : 1) << "a refused count keeps the cursor for the correction";
  }
  // A count typed without Enter is kept when the user clicks another cell (or a button: the unsaved
  // edits' test below).
  type_over(sheet().Text1, "61");
  click(sheet().Label1[63]);
  EXPECT_EQ(state.STD_Count(1, 1), 61);
}

TEST_F(Sheet, ScratchFileThatCannotBeMadeOrWrittenChangesNothing) {
  set_shape(state, Twelve_Rows);
  state.STD_Count(1, 1) = 7;
  // The sanitizers need files of their own to check the type of an object, so under them a
  // program left without any cannot be run: there the sheet is only refused its room below.
#ifndef __SANITIZE_ADDRESS__
  rlimit files{};
  getrlimit(RLIMIT_NOFILE, &files);
  const rlimit no_new_file{0, files.rlim_max};
  setrlimit(RLIMIT_NOFILE, &no_new_file);
  Reg_Data* opened = open_sheet();
  setrlimit(RLIMIT_NOFILE, &files);
  EXPECT_EQ(opened, nullptr);
  EXPECT_EQ(platform.messages, Texts{Scratch_Create_Failed});
  EXPECT_EQ(program.desktop.front(), nullptr);
#endif
  Texts told = platform.messages;

  ASSERT_NE(open_sheet(), nullptr);
  {
    const File_Size_Limit full(0);  // a sheet that finds no room for its rows
    EXPECT_FALSE(sheet().Cell_Set());
  }
  told.push_back(Scratch_Io_Failed);
  EXPECT_EQ(platform.messages, told);
  EXPECT_EQ(column(1), Texts(20));
  enter_count("99");
  click(sheet().Command1);
  click(sheet().Command[target::Conditions]);
  EXPECT_EQ(state.STD_Count(1, 1), 7);
  EXPECT_EQ(platform.messages, told);
}

// Two programs started in one folder, the second building its sheet after the first: a
// committed edit in the first copies back its own rows, and a file of the user's named like the
// old scratch file is left as it was.
TEST_F(Sheet, TwoProgramsInOneFolderKeepTheirOwnRowsAndTouchNoFileThere) {
  write_bytes(folder.file("temp.dat"), "the user's own file");
  ui::Scripted_Platform other_platform;
  Program other(other_platform);
  set_shape(state, Twelve_Rows);
  set_shape(other.state, Twelve_Rows);
  state.STD_Count(1, 1) = 111;
  other.state.STD_Count(1, 1) = 222;
  ASSERT_NE(open_sheet(), nullptr);
  other.state.Screen_No = 1;
  Command_Exec(other, target::Data_Sheet);
  ASSERT_NE(other.screen(Screen::Data), nullptr);
  sheet().Sheet_Row = 1;
  sheet().Cell_Focus();
  enter_count("5");
  EXPECT_EQ(std::to_string(state.STD_Count(1, 1)) + " " + std::to_string(state.STD_Count(1, 2)) + " " + column(3)[0],
            "111 5 111");
  EXPECT_EQ(other.state.STD_Count(1, 1), 222);
  platform.yes_no_answers = {true, true};  // the typed count discarded, then the end
  other_platform.yes_no_answers = {true};
  for (Program* p : {&program, &other}) Command_Exec(*p, target::Exit);
  EXPECT_TRUE(program.ended() && other.ended());
  EXPECT_EQ(read_bytes(folder.file("temp.dat")), "the user's own file");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

// One standard of one tube: rows NSB, TOTAL, zero standard, standard 1, then one serum tube. The
// count tables hold every insertion and deletion at once, and the sheet shows them.
TEST_F(Sheet, InsertAndDeleteMoveOnlyTheCounts) {
  // What, the row clicked, insertion or deletion, the counts afterwards.
  const std::tuple<const char*, int, bool, std::vector<Long>> cases[] = {
      {"insert on row 1", 1, true, {0, 10, 20, 30, 40}},
      {"delete on row 1", 1, false, {20, 30, 40, 150000, 0}},
      {"insert on the last row", 5, true, {10, 20, 30, 40, 0}},
      {"delete on the last row", 5, false, {10, 20, 30, 40, 0}},
      {"insert beyond the sheet", 6, true, {10, 20, 30, 40, 150000}},
      {"delete beyond the sheet", 6, false, {10, 20, 30, 40, 150000}},
  };
  for (const auto& [what, row_clicked, insert, after] : cases) {
    SCOPED_TRACE(what);
    set_shape(state, {1, 1, 1, 1, 0, 0});
    Long* cells[] = {&state.STD_Count(1, 1), &state.STD_Count(2, 1), &state.STD_Count(3, 1), &state.STD_Count(4, 1),
                     &state.Sera_Count(1, 1)};
    for (int row = 0; row < 5; ++row) *cells[row] = std::get<3>(cases[4])[row];  // as before: unchanged
    ASSERT_NE(open_sheet(), nullptr);
    click(sheet().Label1[20 + row_clicked - 1]);  // the REMARK cell of the row makes it the current row
    EXPECT_EQ(sheet().Label1[row_clicked - 1].back_colour, (ui::Colour{204, 228, 255})) << "marked";
    click(insert ? sheet().Command1 : sheet().Command2);
    EXPECT_EQ(sheet().Cell_Dirty, 0);
    for (int row = 0; row < 5; ++row) {
      EXPECT_EQ(*cells[row], after[row]) << "row " << row + 1;
      EXPECT_EQ(sheet().Label1[60 + row].caption, count_text(after[row])) << "shown on row " << row + 1;
    }
    program.close(Screen::Data);
  }
}

// Counts typed and not saved are not discarded without the user's word: "いいえ" leaves everything
// as it was, "はい" goes on to the file dialog or to the question of the end.
TEST_F(Sheet, UnsavedCountEditsAreAskedAboutBeforeTheyAreDiscarded) {
  const auto on_conditions = [&](int command) {  // the conditions screen's button, reached from the sheet
    return [&, command] {
      click(sheet().Command[target::Conditions]);
      click(*program.screen(Screen::Conditions)->find("Command", command));
    };
  };
  const std::pair<const char*, std::function<void()>> discards[] = {
      {"データ読込", [&] { click(sheet().Command[target::Open_File]); }},
      {"計数器読込", [&] { click(sheet().Lab_File[0]); }},
      {"条件読込", on_conditions(target::Open_File)},
      {"Ｗｉｚａｒｄ", on_conditions(target::Wizard)},
      {"the window's close box", [&] { sheet().close_box_clicked(); }},
      {"終了", [&] { click(sheet().Command[target::Exit]); }},
  };
  const std::string question = "保存されていない測定値の変更があります。破棄しますか";
  for (const auto& [what, discard] : discards) {
    SCOPED_TRACE(what);
    program.close(Screen::Data);
    set_shape(state, Twelve_Rows);
    state.STD_Count(1, 1) = 0;
    ASSERT_NE(open_sheet(), nullptr);
    type_over(sheet().Text1, "77");  // typed, not yet entered
    platform.questions.clear(), platform.dialogs.clear();
    discard();
    EXPECT_EQ(platform.questions, Texts{question});
    EXPECT_TRUE(platform.dialogs.empty() && !program.ended() && state.STD_Count(1, 1) == 77);
    platform.yes_no_answers = {true, what == std::string("終了")};  // then no to the end, but at the last
    discard();
    EXPECT_EQ(platform.questions.size() + platform.dialogs.size(), 3u) << "on to a file dialog or the end's question";
  }
  EXPECT_TRUE(program.ended());
}

// Refused or cancelled numbers leave the samples; an accepted one adds or drops rows, the dropped
// rows keeping their counts in the table. Sample numbers beyond 16 bits show in their REMARK.
TEST_F(Sheet, SampleNumberChangeIsRefusedOrAddsAndDropsRowsKeepingTheTable) {
  set_shape(state, {1, 1, 0, 0, 10, 1});  // 4 standard rows + 10 samples: sample k on row 4 + k
  state.Sample_Count(11, 1) = 1100;
  state.Sample_Count(40000, 1) = 12;
  ASSERT_NE(open_sheet(), nullptr);
  Reg_Data& s = sheet();
  auto change = [&](const std::string& typed) {  // on the sheet open then
    click(sheet().Command3);
    type_over(sheet().Text2, typed);
    click(sheet().Command1);
  };
  // The tubes, row 15 (sample 11) as shown and whether a count file may be loaded.
  auto seen = [&] {
    return std::to_string(state.Total_Tubes) + " " + column(1)[14] + " " + column(3)[14] + " " +
           (s.Command[target::Open_File].enabled ? "load" : "");
  };
  change("12");
  EXPECT_EQ(seen(), "16 Sample11-1 1100 load");
  change("10");
  EXPECT_EQ(seen(), "14   load");
  EXPECT_EQ(state.Sample_Count(11, 1), 1100);
  click(s.Command3);
  EXPECT_EQ(s.Text2.text, "10");
  EXPECT_FALSE(s.Command[target::Open_File].enabled);
  for (const char* typed : {"0", "100001", "-5", "abc", "", "1e9"}) {
    SCOPED_TRACE(typed);
    platform.messages.clear();
    type_over(s.Text2, typed);
    click(s.Command1);
    EXPECT_EQ(platform.messages, std::vector<std::string>{"サンプルの点数は１０万までです"});
    EXPECT_TRUE(s.Change_Mode == 1 && state.Sample_Number == 10 && s.focused() == &s.Text2);
  }
  click(s.Command2);
  EXPECT_TRUE(s.Change_Mode == 0 && state.Sample_Number == 10 && s.focused() == &s.Text1) << "cancelled";
  change("100000");
  EXPECT_EQ(state.Sample_Number, 100000);
  s.VScroll1.set_value(40004 / 20);
  EXPECT_EQ(column(1)[3], "Sample40000-1");
  EXPECT_EQ(column(3)[3], "12");

  // A pending deletion, and a count typed after the conditions changed under the open sheet, go to
  // their own cells.
  program.close(Screen::Data);
  set_shape(state, {1, 1, 1, 2, 2, 1});
  state.STD_Count(1, 1) = 10, state.STD_Count(2, 1) = 20;
  state.Sera_Count(1, 2) = 22, state.Sample_Count(1, 1) = 31, state.Sample_Count(2, 1) = 41;
  ASSERT_NE(open_sheet(), nullptr);
  click(sheet().Command2);  // delete row 1
  change("3");
  EXPECT_EQ(state.STD_Count(1, 1), 20);
  EXPECT_EQ(column(3)[0], "20");
  state.Sera_Tubes = 1;  // committed on the conditions screen while the sheet stays open
  enter_count("5");
  EXPECT_EQ(state.STD_Count(1, 1), 5);
  EXPECT_EQ(state.Sera_Count(1, 2), 31) << "moved up by the deletion";
  EXPECT_EQ(state.Sample_Count(1, 1), 41);
}

}  // namespace
}  // namespace quorin::testing
