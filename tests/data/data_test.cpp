// The data sheet: the hand-worked assay's rows, printout and count file; the cell
// editor's keys and paging; a scratch file that cannot be made or is lost; row editing: insertion
// and deletion of counts, and the change of the number of samples.
//
// The files a lab brings: the count data file (its items, loading into the tables under the
// conditions in force, saving, the files that are refused), the counter's own export through its
// columns dialog and the list of sample identifiers. Each either gives everything it holds or is
// refused, naming the line.
//
// The sheet is opened the way the user opens it (the dispatcher's target 2), in a fresh working
// folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "data/count_file.h"
#include "data/counter_export.h"
#include "data/data_procedures.h"
#include "data/reg_columns.h"
#include "data/reg_data.h"
#include "data/sample_ids.h"
#include "data/sheet_layout.h"
#include "navigation/navigation.h"
#include "state/program_fixture.h"
#include "support/hand_worked_assay.h"
#include "text/cp932.h"

namespace quorin::testing {
namespace {

// Standards, their tubes, sera, their tubes, samples, their tubes.
using Shape = std::tuple<Integer, Integer, Integer, Integer, Long, Integer>;

class Sheet_Test : public Program_Test {
 protected:
  // Sets the conditions; every standard gets a concentration (k + 0.5) so the sheet can open.
  static void set_shape(Assay_State& s, const Shape& shape) {
    std::tie(s.STD_Number, s.STD_Tubes, s.Sera_Number, s.Sera_Tubes, s.Sample_Number, s.Sample_Tubes) = shape;
    for (int k = 1; k <= s.STD_Number; ++k) s.STD_Data(3 + k, STD_Column::Concentration) = k + 0.5;
  }

  // Opens the sheet of `p` through the dispatcher, as the conditions screen's button does.
  static Reg_Data* open_sheet(Program& p) {
    p.state.Screen_No = 1;
    Command_Exec(p, target::Data_Sheet);
    return p.screen_as<Reg_Data>(Screen::Data);
  }

  Reg_Data& sheet() {
    auto* screen = program.screen_as<Reg_Data>(Screen::Data);
    EXPECT_NE(screen, nullptr);
    return *screen;
  }

  // The texts of one column of the page shown: 0 row numbers, 1 REMARK, 2 concentration, 3 count.
  std::vector<std::string> column(int c) {
    std::vector<std::string> texts;
    for (int k = 0; k < Reg_Data::Page_Rows; ++k) texts.push_back(sheet().Label1[c * Reg_Data::Page_Rows + k].caption);
    return texts;
  }

  // The page shown, a row to a line: number, REMARK, concentration and count.
  std::string page_text() {
    std::string text;
    for (int k = 0; k < Reg_Data::Page_Rows; ++k)
      text += column(0)[k] + "|" + column(1)[k] + "|" + column(2)[k] + "|" + column(3)[k] + "\n";
    return text;
  }

  // Saves the counts through the sheet's save button; the bytes of the file written.
  std::string save_counts() {
    platform.file_answers.push_back(folder.file("saved.txt"));
    click(sheet().Command[target::Save]);
    return read_bytes(folder.file("saved.txt"));
  }

  // Types into the cell editor and presses Enter.
  void enter_count(const std::string& typed) {
    type_over(sheet().Text1, typed);
    press(sheet().Text1, ui::Key_Return);
  }
};

// The 12-row assay: two tubes each for NSB, TOTAL, the zero standard, one standard, one serum
// and one sample.
inline constexpr Shape Twelve_Rows{1, 2, 1, 2, 1, 2};

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
  ASSERT_NE(open_sheet(program), nullptr);
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
  ASSERT_NE(open_sheet(program), nullptr);
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
  ASSERT_NE(open_sheet(program), nullptr);
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
  Reg_Data* opened = open_sheet(program);
  setrlimit(RLIMIT_NOFILE, &files);
  EXPECT_EQ(opened, nullptr);
  EXPECT_EQ(platform.messages, Texts{Scratch_Create_Failed});
  EXPECT_EQ(program.desktop.front(), nullptr);
#endif
  Texts told = platform.messages;

  ASSERT_NE(open_sheet(program), nullptr);
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
  ASSERT_NE(open_sheet(program), nullptr);
  ASSERT_NE(open_sheet(other), nullptr);
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
    ASSERT_NE(open_sheet(program), nullptr);
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
    ASSERT_NE(open_sheet(program), nullptr);
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
  ASSERT_NE(open_sheet(program), nullptr);
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
  ASSERT_NE(open_sheet(program), nullptr);
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

TEST(Count_Items, EveryItemIsOneNumberOrEmpty) {
  using enum Count_Fault;
  // What, the bytes, the counts read, the fault and its line, the line of an end-of-file mark and
  // the items after it.
  // clang-format off
  const std::tuple<const char*, std::string, std::vector<Long>, Count_Fault, std::size_t, std::size_t, std::size_t>
      cases[] = {
      {"as the program writes them", " 1500 \r\n\r\n-3 \r\n", {1500, 0, -3}, None, 0, 0, 0},
      {"a comma splits a line", "12,34\r\n", {12, 34}, None, 0, 0, 0},
      {"halves go to the even neighbour", "12.5\r\n13.5\r\n-0.5\r\n", {12, 14, 0}, None, 0, 0, 0},
      {"blanks around, quotes, an exponent", " \t7\t \r\n\"8 \"\r\n1e3\r\n+9", {7, 8, 1000, 9}, None, 0, 0, 0},
      {"the end-of-file mark of old systems ends the text", "1\n2\n\x1A\r\n", {1, 2}, None, 0, 0, 0},
      {"one mid-file: the items after it are counted", "1\n2\n3\x1A\r\n4,5\r\n", {1, 2, 3}, None, 0, 3, 3},
      {"a letter after the digits", "1\r\n12x\r\n", {}, Not_A_Count, 2, 0, 0},
      {"not a number", "5\r\n\r\nnan\r\n", {}, Not_A_Count, 3, 0, 0},
      {"an exponent mark without digits", "12e\r\n", {}, Not_A_Count, 1, 0, 0},
      {"beyond 32 bits", "1\r\n2,2147483647\r\n\r\n2147483648\r\n-9999999999\r\n", {}, Too_Large, 4, 0, 0},
  };
  // clang-format on
  for (const auto& [what, bytes, counts, fault, bad_line, mark_line, after_mark] : cases) {
    const Count_Items items = read_count_items(bytes);
    EXPECT_TRUE(std::tie(items.counts, items.fault, items.bad_line, items.mark_line, items.after_mark) ==
                std::tie(counts, fault, bad_line, mark_line, after_mark))
        << what;
  }
}

using Count_File = Sheet_Test;

// The lines 1 to last, each number between the blanks given.
std::string lines(int last, const std::string& blank = "") {
  std::string bytes;
  for (int k = 1; k <= last; ++k) bytes += blank + std::to_string(k) + blank + "\r\n";
  return bytes;
}

// Each line fills the next tube; what the file does not reach is emptied, what the sheet cannot
// take is left out, and the user is told either (golden/lines_told.txt).
TEST_F(Count_File, LinesFillTheTubesInOrder) {
  // What, the shape, the lines of the file, the samples afterwards and the file saved then.
  const std::tuple<const char*, Shape, int, Long, std::string> cases[] = {
      {"twelve lines for the twelve-row assay", Twelve_Rows, 12, 1, lines(12, " ")},
      {"a thirteenth line starts a second sample, its other tube empty", Twelve_Rows, 13, 2, lines(13, " ") + "\r\n"},
      {"samples without tubes take no counts", {1, 1, 0, 0, 0, 0}, 6, 5, lines(4, " ")},
      {"samples beyond the table", {1, 1, 0, 0, 1, 1}, 4 + Max_Samples + 3, Max_Samples, ""},
  };
  std::string told;
  for (const auto& [what, shape, line_count, samples, saved] : cases) {
    SCOPED_TRACE(what);
    program.close(Screen::Data);
    platform.messages.clear();
    set_shape(state, shape);
    state.Sample_Number = 5;
    state.Sample_Count(2, 2) = 999;
    ASSERT_NE(open_sheet(program), nullptr);
    write_bytes(folder.file("counts.txt"), lines(line_count));
    platform.file_answers.push_back(folder.file("counts.txt"));
    click(sheet().Command[target::Open_File]);
    EXPECT_EQ(state.Sample_Number, samples);
    told += std::string("## ") + what + "\n" + lines_of(platform.messages);
    if (!saved.empty()) {
      EXPECT_EQ(save_counts(), saved);
    }
  }
  expect_golden("lines_told.txt", told);
  EXPECT_EQ(state.Sample_Count(Max_Samples, 1), 4 + Max_Samples);
  // The sheet names the file (that the assay keeps its name is the columns dialog's test below).
  EXPECT_EQ(sheet().caption, "データ入力　File名: " + folder.file("counts.txt"));
}

TEST_F(Count_File, CounterExportThroughItsColumnsThenIdentifiers) {
  set_shape(state, {1, 2, 1, 2, 2, 2});  // 8 standard rows, 2 serum tubes, 2 samples of 2 tubes
  ASSERT_NE(open_sheet(program), nullptr);
  std::string exported = "Pos\tID\tCPM\r\n";
  for (int row = 1; row <= 14; ++row)
    exported += std::to_string(row) + "\t" + (row > 10 ? "S-" + std::to_string((row - 9) / 2) : "") + "\t" +
                std::to_string(1000 + row) + ".5\r\n";
  write_bytes(folder.file("counter.tsv"), exported);
  auto columns_dialog = [&] {
    platform.file_answers = {folder.file("counter.tsv")};
    click(sheet().Lab_File[0]);
    return program.screen_as<Reg_Columns>(Screen::Columns);
  };

  Reg_Columns* dialog = columns_dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->Headers_Label.caption, "列: Pos, ID, CPM");
  type_over(dialog->Count_Box, "Counts");
  click(dialog->Load);  // no such column: said, nothing loaded, the dialog stays
  EXPECT_EQ(platform.messages.back(), "列「Counts」がありません (ファイルの列: Pos, ID, CPM)");
  EXPECT_EQ(program.screen(Screen::Columns), dialog);
  EXPECT_EQ(state.Data_File, "");
  type_over(dialog->Count_Box, "CPM");
  type_over(dialog->Id_Box, "ID");
  click(dialog->Load);
  EXPECT_EQ(program.screen(Screen::Columns), nullptr);
  EXPECT_EQ(state.Data_File, folder.file("counter.tsv"));
  EXPECT_EQ(state.Sample_Count(2, 2), 1014);  // 1014.5, a half, to the even neighbour
  EXPECT_EQ(state.Sample_Id, (std::vector<std::string>{"", "S-1", "S-2"}));
  dialog = columns_dialog();  // the last choice is offered again
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->Count_Box.text + "|" + dialog->Id_Box.text, "CPM|ID");
  click(dialog->Cancel);

  // An identifier list the sheet refuses names its file and leaves the identifiers as they were (what
  // a list gives is the identifier lists' test below).
  write_bytes(folder.file("ids.txt"), "A\nB\nC\n");
  platform.file_answers = {folder.file("ids.txt")};
  click(sheet().Lab_File[1]);
  EXPECT_EQ(platform.messages.back(), "ID ファイルを読み込めません: " + folder.file("ids.txt") +
                                          " (3 行目: サンプルは 2 件です (ID が多すぎます))");
  EXPECT_EQ(state.Sample_Id, (std::vector<std::string>{"", "S-1", "S-2"}));
  // Neither door takes a file that reads as both code page 932 and UTF-8.
  write_bytes(folder.file("ids.txt"), cp932("ﾃｽ01\nﾅｶ02\n"));
  platform.file_answers = {folder.file("ids.txt")};
  click(sheet().Lab_File[1]);
  EXPECT_TRUE(platform.messages.back().starts_with("ID ファイルを読み込めません: " + folder.file("ids.txt") +
                                                   " (1 行目はシフトJIS なら「ﾃｽ01」、UTF-8 なら「ý01」と読める"));
  write_bytes(folder.file("counter.tsv"), cp932("Pos\tID\tCPM\r\n1\tﾃｽ01\t5\r\n"));
  EXPECT_EQ(columns_dialog(), nullptr);
  EXPECT_TRUE(platform.messages.back().starts_with("データファイルを読み込めません: " + folder.file("counter.tsv") +
                                                   " (2 行目はシフトJIS なら「ﾃｽ01」"));
  std::string katakana_head = "CPM\tNote\r\n", katakana_row = "5\t";  // its first 64 KiB read both ways
  for (int k = 0; k < 2600; ++k) katakana_row += "ﾃｽ";
  for (int row = 1; row < 14; ++row) katakana_head += katakana_row + "\r\n";
  write_bytes(folder.file("counter.tsv"), cp932(katakana_head + "5\t検\r\n"));  // the kanji do not
  ASSERT_NE(dialog = columns_dialog(), nullptr);
  click(dialog->Cancel);
  EXPECT_EQ(state.Sample_Id, (std::vector<std::string>{"", "S-1", "S-2"}));
}

// Identifier lists: one form for the whole file, sample numbers in decimal, identifiers of 64
// printed characters at most.
TEST(Lab_Files, IdentifierListsTakeOneFormAndWholeIdentifiers) {
  const std::string longest(64, 'x');
  std::string japanese_64;
  for (int k = 0; k < 64; ++k) japanese_64 += "検";
  // What, the text, the samples, the identifiers 1.. (index 0 left out), the refusal and the note.
  // clang-format off
  const std::tuple<const char*, std::string, Long, std::vector<std::string>, std::string, std::string> cases[] = {
      {"one per line, blanks and quotes dropped", " A-1 \r\n\"B,2\"\r\n\"C \"\"3\"\"\"\r\n\r\n", 3, {"A-1", "B,2", "C \"3\""}, "", ""},
      {"pairs in any order", "3,C\n1, A\n", 3, {"A", "", "C"}, "", "ID のないサンプルが 1 件あります (サンプル 3 件, ID 2 件)"},
      {"pairs numbered with leading zeros", "03,C\n01,A\n02,B\n", 3, {"A", "B", "C"}, "", ""},
      {"007 is sample 7", "007,G\n", 7, {"", "", "", "", "", "", "G"}, "", "ID のないサンプルが 6 件あります (サンプル 7 件, ID 1 件)"},
      {"64 characters", longest + "\n" + japanese_64 + "\n", 2, {longest, japanese_64}, "", ""},
      {"65 characters", "A\n" + longest + "y\n", 2, {}, "2 行目: ID が 65 文字あります (64 文字まで)", ""},
      {"a control character", "A\x01" "B\n", 1, {}, "1 行目: ID に表示できない文字 (U+0001) があります", ""},
      {"a zero-width space", "A\xE2\x80\x8B" "B\n", 1, {}, "1 行目: ID に表示できない文字 (U+200B) があります", ""},
      {"a NUL", std::string("A\0B\n", 4), 1, {}, "1 行目: ID に表示できない文字 (U+0000) があります", ""},
      {"か with a voiced sound mark, then が", "か\u3099\nが\n", 2, {}, "1 行目: ID に表示できない文字 (U+3099) があります", ""},
      {"sample 0", "0,A\n1,B\n2,C\n", 3, {}, "1 行目: サンプル番号は 1 からです", ""},
      {"a number above the samples", "1,A\n9,B\n", 3, {}, "2 行目: サンプルは 3 件です (この番号のサンプルはありません)", ""},
      {"pairs, then a line alone", "1,A\nB\n", 2, {}, "2 行目は「番号,ID」の形ではありません (1 行目から「番号,ID」の一覧です)", ""},
      {"lines alone, then a pair", "A\n2,B\n", 2, {}, "2 行目は ID だけの行ではありません (1 行目から ID だけの一覧です)", ""},
      {"neither form", "A,B\n", 2, {}, "1 行目は「番号,ID」の形でも ID だけの形でもありません (「,」や「\"」を含む ID は \"…\" で囲んでください)", ""},
      {"a quote left open", "A\n\"B\nC\n", 3, {}, "2 行目の二重引用符が閉じられていません", ""},
      {"more than the samples", "A\nB\nC\n", 2, {}, "3 行目: サンプルは 2 件です (ID が多すぎます)", ""},
      {"an identifier twice", "A\nB\nA\n", 3, {}, "3 行目の ID「A」は 1 行目と同じです", ""},
      {"an empty identifier inside", "A\n\nC\n", 3, {}, "2 行目の ID が空です", ""},
      {"a sample numbered twice", "1,A\n001,B\n", 2, {}, "2 行目: サンプル 1 の ID は 1 行目にもあります", ""},
  };
  // clang-format on
  for (const auto& [what, text, samples, ids, refusal, note] : cases) {
    const Id_List list = read_id_list(text, samples);
    EXPECT_EQ(list.refusal + "|" + list.note, refusal + "|" + note) << what;
    if (refusal.empty()) {
      EXPECT_EQ(std::vector<std::string>(list.ids.begin() + 1, list.ids.end()), ids) << what;
    }
  }
  // Every kind of character that prints nothing or looks like another, at the ends of its
  // range, is refused; its visible neighbours and the blanks that are not trimmed away are taken.
  // clang-format off
  const std::pair<std::string, std::string> unprinted[] = {
      {"\u00A0", "00A0"}, {"\u00AD", "00AD"}, {"\u034F", "034F"}, {"\u061C", "061C"}, {"\u115F", "115F"}, {"\u1160", "1160"},
      {"\u1680", "1680"}, {"\u17B4", "17B4"}, {"\u180E", "180E"}, {"\u2000", "2000"}, {"\u200A", "200A"}, {"\u202F", "202F"},
      {"\u205F", "205F"}, {"\u206F", "206F"}, {"\u2800", "2800"}, {"\u309A", "309A"}, {"\u3164", "3164"}, {"\uFE00", "FE00"},
      {"\uFE0F", "FE0F"}, {"\uFFA0", "FFA0"}, {"\uFFF0", "FFF0"}, {"\U0001BCA0", "1BCA0"}, {"\U0001D17A", "1D17A"},
      {"\U000E0041", "E0041"}, {"\U000E0FFF", "E0FFF"}};
  for (const auto& [c, code] : unprinted)
    EXPECT_EQ(identifier_fault("A" + c + "1"), "ID に表示できない文字 (U+" + code + ") があります") << code;
  for (const std::string id : {"A\u00A1", "A\u30001", "A 1", "が", "ぱ", "A\u309B", "\u2801", "\u115E", "\U000E1000"})
    EXPECT_EQ(identifier_fault(id), "") << id;
  // clang-format on

  // UTF-8 and code page 932 are taken; a text that reads as both is refused (the bytes, then the
  // text or the refusal).
  const std::string cannot_tell = "と読めるため、文字コードを決められません。BOM 付きの UTF-8 で保存し直してください";
  // clang-format off
  const std::pair<std::string, std::string> encodings[] = {
      {cp932("検体１\r\nﾃｽ01\r\n"), "検体１\r\nﾃｽ01\r\n"}, {"\xEF\xBB\xBF" "café\n", "café\n"}, {"Müller\n検体\n", "Müller\n検体\n"},
      {"あい", "あい"} /* 0xE381 0x82E3 0x8184 in code page 932 too */, {"\u0440", "\u0440"} /* 0xD1 0x80: 0x80 is not */,
      {cp932("A\nﾃｽ01\nﾅｶ02\n"), "2 行目はシフトJIS なら「ﾃｽ01」、UTF-8 なら「ý01」" + cannot_tell},
      {"1,café,2\n", "1 行目はシフトJIS なら「cafﾃｩ」、UTF-8 なら「café」" + cannot_tell},
      {"\xEF\xBB\xBF" + cp932("A\n検体\n"), "2 行目が UTF-8 ではありません (先頭に UTF-8 の BOM があります)"},
      {"A\nB\x80\n", "2 行目が UTF-8 でもシフトJIS でもありません"}};
  // clang-format on
  for (const auto& [bytes, read] : encodings) {
    std::string refusal;
    EXPECT_EQ(text::any_text_to_utf8(bytes, &refusal).value_or(refusal), read);
  }
}

// The counter's own export read by the rules of RFC 4180: every row is read exactly, and its tubes
// keep their places, or the file is refused naming the row. (A missing count column is the
// columns dialog's test above.) The sheet: NSB, TOTAL and the zero standard of one tube each,
// then samples of two tubes: rows 5 and 6 are sample 1, rows 7 and 8 sample 2.
TEST(Lab_Files, CounterExportsAreReadRowForRowOrRefused) {
  const Sheet_Layout layout{1, 0, 0, 0, 0, 2};
  const std::string front = "1,,10\r\n2,,20\r\n3,,30\r\n";  // Pos,ID,CPM of the first three rows
  // What, the text, the columns, the counts and the samples' identifiers read, the refusal.
  // clang-format off
  const std::tuple<const char*, std::string, Counter_Columns, std::vector<Long>, std::vector<std::string>, std::string>
      cases[] = {
      {"counts per minute rounded as the count file rounds them",
       "Pos,Sample ID,CPM\r\n1,,12.5\r\n2,P-1,13.5\r\n3,\"P,2\",1e3\r\n\r\n", {"CPM", ""}, {12, 14, 1000}, {}, ""},
      {"quoted separators and doubled quotes in the identifiers",
       "Pos,ID,CPM\r\n" + front + "4,\"A,1\",5\r\n5,\"A,1\",6\r\n6,\"B \"\"2\"\"\",7\r\n", {"CPM", "ID"},
       {10, 20, 30, 5, 6, 7}, {"A,1", "B \"2\""}, ""},
      {"a comma file whose header quotes a tab", "\"Po\ts\",CPM\n1,5\n", {"CPM", ""}, {5}, {}, ""},
      {"a quoted line break (CR LF) in a column not read starts no row",
       "CPM,Pos,Note\r\n9334,T41,\"recount\r\n5000, see log\"\r\n9120,T42,\r\n", {"CPM", ""}, {9334, 9120}, {}, ""},
      {"a quoted line break (LF), tab-separated",
       "Pos\tCPM\tNote\n1\t10\t\"a\nb\"\n2\t20\t\n", {"CPM", ""}, {10, 20}, {}, ""},
      {"the row after a quoted line break named by row and line",
       "Pos,CPM,Note\n1,5,\"a\nb\"\n2,x,\n", {"CPM", ""}, {}, {}, "3 行目 (ファイルの 4 行目)の「x」は測定値ではありません"},
      {"a trailing separator on every row", "Pos,CPM\r\n1,10,\r\n2,20,\r\n", {"CPM", ""}, {10, 20}, {}, ""},
      {"a trailing separator on some rows", "Pos,CPM\n1,10,\n2,20\n", {"CPM", ""}, {}, {},
       "3 行目のセルは 2 個です (見出しは 2 個、ほかの行は末尾の区切りまで 3 個)"},
      {"a row longer than the header (a decimal comma)", "Pos,CPM,Sample ID\n1,346,6,T1\n", {"CPM", ""}, {}, {},
       "2 行目のセルは 4 個です (見出しは 3 個)"},
      {"a row shorter than the header", "Pos,CPM,ID\n1,5,A\n2,6\n", {"CPM", ""}, {}, {}, "3 行目のセルは 2 個です (見出しは 3 個)"},
      {"a quoted decimal comma", "Pos,CPM\n1,\"9973,6\"\n", {"CPM", ""}, {}, {},
       "2 行目の「9973,6」は測定値ではありません (「,」を含む数は読めません)"},
      {"a thousands separator", "Pos\tCPM\n1\t9,973\n", {"CPM", ""}, {}, {},
       "2 行目の「9,973」は測定値ではありません (「,」を含む数は読めません)"},
      {"the count column twice", "Pos,CPM,CPM\n1,5,6\n", {"CPM", ""}, {}, {}, "列「CPM」が 2 つあります (2 列目と 3 列目)"},
      {"another column twice", "X,CPM,X\n1,5,6\n", {"CPM", ""}, {5}, {}, ""},
      {"a quote never closed", "Pos,CPM\n1,5\n2,\"6\n3,7\n", {"CPM", ""}, {}, {}, "3 行目の二重引用符が閉じられていません"},
      {"text after a closing quote", "Pos,CPM\n1,\"5\"x\n", {"CPM", ""}, {}, {}, "2 行目の二重引用符の後に文字があります"},
      {"a count cell that is no number", "Pos,CPM\n1,5\n2,5 00\n", {"CPM", ""}, {}, {}, "3 行目の「5 00」は測定値ではありません"},
      {"an empty count cell", "Pos,CPM\n1,\n", {"CPM", ""}, {}, {}, "2 行目の「」は測定値ではありません"},
      {"an empty row inside", "Pos,CPM\n1,5\n\n3,6\n", {"CPM", ""}, {}, {}, "3 行目が空です"},
      {"a header alone", "Pos,CPM\r\n", {"CPM", ""}, {}, {}, "測定値の行がありません"},
      {"a missing identifiers' column", "Pos,CPM\n1,5\n", {"CPM", "ID"}, {}, {}, "列「ID」がありません (ファイルの列: Pos, CPM)"},
      {"a sample's tubes naming two identifiers", "Pos,ID,CPM\n" + front + "4,A,5\n5,B,6\n", {"CPM", "ID"}, {}, {},
       "6 行目の ID「B」はサンプル 1 の ID「A」と違います (計数器の並びとサンプルごとのチューブ数を確かめてください)"},
      {"one identifier on two samples", "Pos,ID,CPM\n" + front + "4,A,5\n5,,6\n6,A,7\n", {"CPM", "ID"}, {}, {},
       "7 行目の ID「A」はサンプル 1 にもあります"},
      {"an identifier of 65 characters", "Pos,ID,CPM\n" + front + "4," + std::string(65, 'x') + ",5\n", {"CPM", "ID"},
       {}, {}, "5 行目: ID が 65 文字あります (64 文字まで)"},
      {"a tab inside an identifier", "Pos,ID,CPM\n" + front + "4,A\tB,5\n", {"CPM", "ID"}, {}, {},
       "5 行目: ID に表示できない文字 (U+0009) があります"},
  };
  // clang-format on
  for (const auto& [what, text, columns, counts, ids, refusal] : cases) {
    const Counter_Rows rows = read_counter_export(text, columns, layout, 100);
    const std::vector<std::string> read =
        rows.ids.empty() ? rows.ids : std::vector(rows.ids.begin() + 1, rows.ids.end());
    EXPECT_TRUE(std::tie(rows.refusal, rows.items.counts, read) == std::tie(refusal, counts, ids))
        << what << ": " << rows.refusal;
  }
}

}  // namespace
}  // namespace quorin::testing
