// The data sheet: its rows and texts, the cell editor's keys, paging and the scratch file.

#include <algorithm>
#include <filesystem>

#include "data/sheet_fixture.h"

namespace quorin::testing {
namespace {

using Sheet = Sheet_Test;
using Texts = std::vector<std::string>;

// The first n texts followed by blanks up to a full page.
Texts padded(Texts texts) {
  texts.resize(Reg_Data::Page_Rows);
  return texts;
}

TEST_F(Sheet, TwelveRowAssayListsEveryTubeInOrder) {
  set_shape(Twelve_Rows);
  state.STD_Count(2, 2) = 150000;  // TOTAL tube 2: row 4
  state.STD_Count(4, 1) = -3;      // standard 1 tube 1: row 7
  state.Sera_Count(1, 2) = 812;    // row 10
  state.Sample_Count(1, 1) = 47;   // row 11
  ASSERT_NE(open_sheet(), nullptr);
  EXPECT_EQ(state.Total_Tubes, 12);
  EXPECT_EQ(column(1), padded({"NSB0-1", "NSB0-2", "TOTAL1-1", "TOTAL1-2", "STD0-1", "STD0-2", "STD1-1", "STD1-2",
                               "Sera1-1", "Sera1-2", "Sample1-1", "Sample1-2"}));
  // The zero standard and standard 1 (concentration 1.5) show their concentration, no other row.
  EXPECT_EQ(column(2), padded({"", "", "", "", "0.0000", "0.0000", "1.5000", "1.5000"}));
  // A zero count shows blank, a negative one keeps its sign.
  EXPECT_EQ(column(3), padded({"", "", "", "150000", "", "", "-3", "", "", "812", "47", ""}));
  // Row numbers run on past the last row.
  EXPECT_EQ(column(0).front(), "1");
  EXPECT_EQ(column(0).back(), "20");
}

TEST_F(Sheet, ScratchFileHoldsEightByteLittleEndianRecords) {
  set_shape(Twelve_Rows);
  state.STD_Count(2, 1) = 150000;  // 0x000249F0
  state.Sera_Count(1, 2) = -2;
  ASSERT_NE(open_sheet(), nullptr);
  const std::string bytes = read_bytes(folder.file("temp.dat"));
  ASSERT_EQ(bytes.size(), 12u * 8);
  auto record = [&](int k) { return bytes.substr((k - 1) * 8, 8); };
  EXPECT_EQ(record(3), std::string("\xF0\x49\x02\x00\x01\x00\x01\x00", 8)) << "TOTAL1-1";
  EXPECT_EQ(record(6), std::string("\x00\x00\x00\x00\x00\x00\x02\x00", 8)) << "STD0-2";
  EXPECT_EQ(record(10), std::string("\xFE\xFF\xFF\xFF\x01\x00\x02\x00", 8)) << "Sera1-2";
}

TEST_F(Sheet, UpAndDownCrossPagesAndStopAtTheEdgesOfTheSheet) {
  set_shape({1, 2, 1, 2, 10, 2});  // 30 rows: pages 0 and 1
  state.Sample_Count(7, 1) = 321;  // row 8 + 2 + 12 + 1 = 23: page 1, row 2
  ASSERT_NE(open_sheet(), nullptr);
  Reg_Data& s = sheet();
  press(s.Text1, ui::Key_Up);
  EXPECT_EQ(s.Sheet_Page, 0);
  EXPECT_EQ(s.Sheet_Row, 0);

  click(s.Label1[79]);
  press(s.Text1, ui::Key_Down);
  EXPECT_EQ(s.Sheet_Page, 1);
  EXPECT_EQ(s.VScroll1.value(), 1);
  EXPECT_EQ(s.Sheet_Row, 0);
  EXPECT_EQ(column(0).front(), "21");
  press(s.Text1, ui::Key_Down);
  press(s.Text1, ui::Key_Down);
  EXPECT_EQ(s.Text1.text, "321");
  EXPECT_EQ(s.Text1.top, 330 * 3);
  for (int k = 0; k < 3; ++k) press(s.Text1, ui::Key_Up);
  EXPECT_EQ(s.Sheet_Page, 0);
  EXPECT_EQ(s.Sheet_Row, 19);

  s.VScroll1.set_value(1);
  click(s.Label1[79]);  // the last row of the last page
  press(s.Text1, ui::Key_Down);
  EXPECT_EQ(s.Sheet_Page, 1);
  EXPECT_EQ(s.Sheet_Row, 19);
  press(s.Text1, ui::Key_Up);
  EXPECT_EQ(s.Sheet_Row, 18);
}

TEST_F(Sheet, TypingFreezesUpAndDownUntilEnterStoresAndMovesOn) {
  set_shape(Twelve_Rows);
  ASSERT_NE(open_sheet(), nullptr);
  Reg_Data& s = sheet();
  press(s.Text1, ui::Key_Down);
  press(s.Text1, ui::Key_Down);  // row 3, TOTAL1-1
  type_over(s.Text1, "9");
  EXPECT_EQ(state.Edit_Flag, 1);
  press(s.Text1, ui::Key_Up);
  press(s.Text1, ui::Key_Down);
  EXPECT_EQ(s.Sheet_Row, 2);
  EXPECT_EQ(state.STD_Count(2, 1), 0) << "nothing stored before Enter";

  press(s.Text1, ui::Key_Return);
  EXPECT_EQ(state.STD_Count(2, 1), 9);
  EXPECT_EQ(column(3)[2], "9");
  EXPECT_EQ(s.Sheet_Row, 3);
  EXPECT_EQ(state.Edit_Flag, 0);
  EXPECT_EQ(s.Cell_Dirty, 0);
}

TEST_F(Sheet, TypedTextIsStoredAsTheNearestWholeNumber) {
  struct Case {
    const char* typed;
    Long stored;
    const char* shown;
  };
  const Case cases[] = {{"12.5", 12, "12"},
                        {"13.5", 14, "14"},
                        {"abc", 0, ""},
                        {" -7 ", -7, "-7"},
                        {"2147483647", 2147483647, "2147483647"},
                        {"", 0, ""}};
  set_shape(Twelve_Rows);
  ASSERT_NE(open_sheet(), nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    state.STD_Count(1, 1) = 555;
    Cell_Set(program);
    sheet().Sheet_Row = 0;
    sheet().Cell_Focus();
    enter_count(c.typed);
    EXPECT_EQ(state.STD_Count(1, 1), c.stored);
    EXPECT_EQ(column(3)[0], c.shown);
  }
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(Sheet, EnterStoresAcrossAPageBoundary) {
  set_shape({1, 2, 1, 2, 10, 2});
  ASSERT_NE(open_sheet(), nullptr);
  click(sheet().Label1[79]);  // row 20: sample 5, tube 2
  enter_count("77");
  EXPECT_EQ(state.Sample_Count(5, 2), 77);
  EXPECT_EQ(sheet().Sheet_Page, 1);
  EXPECT_EQ(sheet().Sheet_Row, 0);
  EXPECT_EQ(column(0).front(), "21");
}

TEST_F(Sheet, CountBeyondThirtyTwoBitsIsRefusedAndTheCellKeepsItsValue) {
  set_shape(Twelve_Rows);
  state.STD_Count(1, 1) = 480;
  ASSERT_NE(open_sheet(), nullptr);
  for (const char* typed : {"2147483648", "-2147483649", "1e12"}) {
    SCOPED_TRACE(typed);
    platform.messages.clear();
    enter_count(typed);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].find("2147483647"), std::string::npos);
    EXPECT_EQ(state.STD_Count(1, 1), 480);
    EXPECT_EQ(sheet().Text1.text, "480");
    EXPECT_EQ(sheet().Sheet_Row, 0) << "the cursor stays to let the user correct it";
  }
}

TEST_F(Sheet, EnterBeyondTheLastRowStoresNothingButMovesOn) {
  set_shape(Twelve_Rows);
  ASSERT_NE(open_sheet(), nullptr);
  click(sheet().Label1[75]);  // row 16
  enter_count("5");
  EXPECT_EQ(sheet().Sheet_Row, 16);
  EXPECT_EQ(column(3)[15], "");
  EXPECT_EQ(std::filesystem::file_size(folder.file("temp.dat")), 12u * 8);
}

TEST_F(Sheet, SheetOfExactlyTwentyRowsHasAnEmptySecondPage) {
  set_shape({1, 2, 1, 2, 5, 2});
  ASSERT_NE(open_sheet(), nullptr);
  EXPECT_EQ(state.Total_Tubes, 20);
  EXPECT_EQ(sheet().VScroll1.max, 1);
  sheet().VScroll1.set_value(1);
  EXPECT_EQ(column(0).front(), "21");
  EXPECT_EQ(column(0).back(), "40");
  EXPECT_EQ(column(1), Texts(20));
  EXPECT_EQ(column(3), Texts(20));
}

TEST_F(Sheet, OnlyTheCountColumnMovesTheCursor) {
  set_shape(Twelve_Rows);
  ASSERT_NE(open_sheet(), nullptr);
  click(sheet().Label1[25]);  // a REMARK cell
  click(sheet().Label1[5]);   // a row number
  EXPECT_EQ(sheet().Sheet_Row, 0);
  click(sheet().Label1[65]);
  EXPECT_EQ(sheet().Sheet_Row, 5);
  EXPECT_EQ(sheet().Text1.top, 330 * 6);
}

TEST_F(Sheet, TypedCountIsKeptWhenTheUserLeavesTheRowWithoutEnter) {
  set_shape(Twelve_Rows);
  ASSERT_NE(open_sheet(), nullptr);
  type_over(sheet().Text1, "61");
  click(sheet().Label1[63]);
  EXPECT_EQ(state.STD_Count(1, 1), 61) << "clicking another cell";
  EXPECT_EQ(sheet().Sheet_Row, 3);

  type_over(sheet().Text1, "62");
  click(sheet().Command[target::Print]);
  EXPECT_EQ(state.STD_Count(2, 2), 62) << "pressing a button";
  EXPECT_NE(std::find(platform.recorder.ops().begin(), platform.recorder.ops().end(), "text 4500,3250 \"62\""),
            platform.recorder.ops().end())
      << "the printout shows the typed count";
}

TEST_F(Sheet, SampleNumbersBeyondSixteenBitsShowInTheirRemark) {
  set_shape({1, 1, 0, 0, 40000, 1});  // sample k on row 4 + k
  state.Sample_Count(40000, 1) = 12;
  ASSERT_NE(open_sheet(), nullptr);
  sheet().VScroll1.set_value(40004 / 20);
  EXPECT_EQ(column(1)[3], "Sample40000-1");
  EXPECT_EQ(column(3)[3], "12");
}

TEST_F(Sheet, EditsGoBackToTheirOwnCellsAfterTheConditionsChange) {
  set_shape(Twelve_Rows);
  state.Sera_Count(1, 2) = 22;
  state.Sample_Count(1, 1) = 31;
  state.Sample_Count(1, 2) = 32;
  ASSERT_NE(open_sheet(), nullptr);
  state.Sera_Tubes = 1;  // committed on the conditions screen while the sheet stays open
  enter_count("5");
  EXPECT_EQ(state.STD_Count(1, 1), 5);
  EXPECT_EQ(state.Sera_Count(1, 2), 22);
  EXPECT_EQ(state.Sample_Count(1, 1), 31);
  EXPECT_EQ(state.Sample_Count(1, 2), 32);
}

TEST_F(Sheet, ScratchFileThatCannotBeCreatedKeepsTheSheetClosed) {
  set_shape(Twelve_Rows);
  state.STD_Count(1, 1) = 7;
  std::filesystem::create_directory(folder.file("temp.dat"));  // a folder where the file should go
  EXPECT_EQ(open_sheet(), nullptr);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("temp.dat"), std::string::npos);
  EXPECT_EQ(state.STD_Count(1, 1), 7);
  EXPECT_EQ(program.desktop.front(), nullptr);
}

TEST_F(Sheet, SheetWhoseScratchFileIsLostShowsNoRowsAndStoresNothing) {
  set_shape(Twelve_Rows);
  state.STD_Count(1, 1) = 7;
  ASSERT_NE(open_sheet(), nullptr);
  std::filesystem::remove(folder.file("temp.dat"));
  std::filesystem::create_directory(folder.file("temp.dat"));
  EXPECT_FALSE(sheet().Cell_Set());
  EXPECT_EQ(platform.messages, std::vector<std::string>{Scratch_Create_Failed});
  EXPECT_EQ(column(1), Texts(20));
  enter_count("99");
  click(sheet().Command1);
  click(sheet().Command[target::Conditions]);
  EXPECT_EQ(state.STD_Count(1, 1), 7);
  EXPECT_EQ(platform.messages.size(), 1u);
}

TEST_F(Sheet, RowEditsAreInForceAtOnce) {
  set_shape(Twelve_Rows);
  state.STD_Count(1, 1) = 10;
  state.STD_Count(1, 2) = 20;
  ASSERT_NE(open_sheet(), nullptr);
  click(sheet().Command1);  // insert at row 1
  EXPECT_EQ(state.STD_Count(1, 1), 0);
  EXPECT_EQ(state.STD_Count(1, 2), 10);
  EXPECT_EQ(state.STD_Count(2, 1), 20);
}

TEST_F(Sheet, LoadStepPutsTheFocusOnTheLoadButtonAndRebuildKeepsThePage) {
  set_shape({1, 2, 1, 2, 30, 2});
  program.load(Screen::Data);
  EXPECT_EQ(sheet().focused(), &sheet().Command[0]);
  Cell_Set(program);
  sheet().VScroll1.set_value(2);
  click(sheet().Label1[64]);
  Cell_Set(program);
  EXPECT_EQ(sheet().Sheet_Page, 2);
  EXPECT_EQ(sheet().Sheet_Row, 4);
  EXPECT_EQ(sheet().focused(), &sheet().Text1);
}

}  // namespace
}  // namespace quorin::testing
