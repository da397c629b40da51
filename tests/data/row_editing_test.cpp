// Row editing: insertion and deletion of counts, and the change of the number of samples.

#include "data/sheet_fixture.h"

namespace quorin::testing {
namespace {

class Row_Editing : public Sheet_Test {
 protected:
  // One standard of one tube: rows NSB, TOTAL, zero standard, standard 1, then one serum tube.
  void open_five_rows(std::initializer_list<Long> counts) {
    set_shape({1, 1, 1, 1, 0, 0});
    Long* cells[] = {&state.STD_Count(1, 1), &state.STD_Count(2, 1), &state.STD_Count(3, 1), &state.STD_Count(4, 1),
                     &state.Sera_Count(1, 1)};
    int k = 0;
    for (Long count : counts) *cells[k++] = count;
    ASSERT_NE(open_sheet(), nullptr);
  }

  // The count tables, which hold every insertion and deletion at once.
  std::vector<Long> counts() {
    return {state.STD_Count(1, 1), state.STD_Count(2, 1), state.STD_Count(3, 1), state.STD_Count(4, 1),
            state.Sera_Count(1, 1)};
  }
};

TEST_F(Row_Editing, InsertAndDeleteMoveOnlyTheCounts) {
  struct Case {
    const char* what;
    int row;
    bool insert;
    std::vector<Long> after;
  };
  const Case cases[] = {
      {"insert on row 1", 1, true, {0, 10, 20, 30, 40}},
      {"delete on row 1", 1, false, {20, 30, 40, 150000, 0}},
      {"insert on the last row", 5, true, {10, 20, 30, 40, 0}},
      {"delete on the last row", 5, false, {10, 20, 30, 40, 0}},
      {"beyond the sheet", 6, true, {10, 20, 30, 40, 150000}},
      {"beyond the sheet", 6, false, {10, 20, 30, 40, 150000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    open_five_rows({10, 20, 30, 40, 150000});
    click(sheet().Label1[60 + c.row - 1]);  // the count column of the row
    click(c.insert ? sheet().Command1 : sheet().Command2);
    EXPECT_EQ(sheet().Cell_Dirty, 0);
    EXPECT_EQ(counts(), c.after);
    for (int row = 0; row < 5; ++row)
      EXPECT_EQ(sheet().Label1[60 + row].caption, count_text(c.after[row])) << "shown on row " << row + 1;
    program.close(Screen::Data);
  }
}

// Refused or cancelled numbers leave the samples; an accepted one adds or drops rows, the dropped
// rows keeping their counts in the table. Sample numbers beyond 16 bits show in their REMARK.
TEST_F(Row_Editing, SampleNumberChangeIsRefusedOrAddsAndDropsRowsKeepingTheTable) {
  set_shape({1, 1, 0, 0, 10, 1});  // 4 standard rows + 10 samples: sample k on row 4 + k
  state.Sample_Count(11, 1) = 1100;
  state.Sample_Count(40000, 1) = 12;
  ASSERT_NE(open_sheet(), nullptr);
  Reg_Data& s = sheet();
  auto change = [&](const std::string& typed) {
    click(s.Command3);
    type_over(s.Text2, typed);
    click(s.Command1);
  };
  change("12");
  EXPECT_EQ(state.Total_Tubes, 16);
  EXPECT_EQ(column(1)[14], "Sample11-1");
  EXPECT_EQ(column(3)[14], "1100");
  EXPECT_TRUE(s.Command[target::Open_File].enabled);
  change("10");
  EXPECT_EQ(state.Total_Tubes, 14);
  EXPECT_EQ(column(1)[14], "");
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
    EXPECT_EQ(s.Change_Mode, 1);
    EXPECT_EQ(state.Sample_Number, 10);
    EXPECT_EQ(s.focused(), &s.Text2);
  }
  click(s.Command2);  // cancelled
  EXPECT_EQ(state.Sample_Number, 10);
  EXPECT_EQ(s.Change_Mode, 0);
  EXPECT_EQ(s.focused(), &s.Text1);
  change("100000");
  EXPECT_EQ(state.Sample_Number, 100000);
  s.VScroll1.set_value(40004 / 20);
  EXPECT_EQ(column(1)[3], "Sample40000-1");
  EXPECT_EQ(column(3)[3], "12");
}

// A pending deletion, and a count typed after the conditions changed under the open sheet, go to
// their own cells.
TEST_F(Row_Editing, EditsGoToTheirOwnCellsAfterTheShapeChanges) {
  set_shape({1, 1, 1, 2, 2, 1});
  state.STD_Count(1, 1) = 10, state.STD_Count(2, 1) = 20;
  state.Sera_Count(1, 2) = 22, state.Sample_Count(1, 1) = 31, state.Sample_Count(2, 1) = 41;
  ASSERT_NE(open_sheet(), nullptr);
  click(sheet().Command2);  // delete row 1
  click(sheet().Command3);
  type_over(sheet().Text2, "3");
  click(sheet().Command1);
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
