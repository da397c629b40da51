// The data sheet's "計数器読込" through its columns dialog, and "ID読込".

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/reg_columns.h"
#include "sheet_fixture.h"

namespace quorin {
namespace {

using Lab_Files_Screen = testing::Sheet_Test;

TEST_F(Lab_Files_Screen, CounterExportThroughItsColumnsThenIdentifiers) {
  set_shape({1, 2, 1, 2, 2, 2});  // 8 standard rows, 2 serum tubes, 2 samples of 2 tubes
  ASSERT_NE(open_sheet(), nullptr);
  std::string exported = "Pos\tID\tCPM\r\n";
  for (int row = 1; row <= 14; ++row)
    exported += std::to_string(row) + "\t" + (row > 10 ? "S-" + std::to_string((row - 9) / 2) : "") + "\t" +
                std::to_string(1000 + row) + ".5\r\n";
  testing::write_bytes(folder.file("counter.tsv"), exported);
  auto columns_dialog = [&] {
    platform.file_answers = {folder.file("counter.tsv")};
    testing::click(sheet().Lab_File[0]);
    return program.screen_as<Reg_Columns>(Screen::Columns);
  };

  Reg_Columns* dialog = columns_dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->Headers_Label.caption, "列: Pos, ID, CPM");
  testing::type_over(dialog->Count_Box, "Counts");
  testing::click(dialog->Load);  // no such column: said, nothing loaded, the dialog stays
  EXPECT_EQ(platform.messages.back(), "列「Counts」がありません (ファイルの列: Pos, ID, CPM)");
  EXPECT_EQ(program.screen(Screen::Columns), dialog);
  EXPECT_EQ(state.Data_File, "");
  testing::type_over(dialog->Count_Box, "CPM");
  testing::type_over(dialog->Id_Box, "ID");
  testing::click(dialog->Load);
  EXPECT_EQ(program.screen(Screen::Columns), nullptr);
  EXPECT_EQ(state.Data_File, folder.file("counter.tsv"));
  EXPECT_EQ(state.Sample_Count(2, 2), 1014);  // 1014.5, a half, to the even neighbour
  EXPECT_EQ(state.Sample_Count(1, 1), 1012);  // 1011.5 up to the even neighbour
  EXPECT_EQ(state.Sample_Id, (std::vector<std::string>{"", "S-1", "S-2"}));
  dialog = columns_dialog();  // the last choice is offered again
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->Count_Box.text + "|" + dialog->Id_Box.text, "CPM|ID");
  testing::click(dialog->Cancel);

  // An identifier list with one too many is refused whole; a short one leaves the rest without.
  for (const auto& [list, said, ids] :
       {std::tuple{"A\nB\nC\n", "ID ファイルを読み込めません: <ids> (3 行目: サンプルは 2 件です (ID が多すぎます))",
                   std::vector<std::string>{"", "S-1", "S-2"}},
        std::tuple{"A\n", "ID を読み込みました: <ids>\nID のないサンプルが 1 件あります (サンプル 2 件, ID 1 件)",
                   std::vector<std::string>{"", "A", ""}}}) {
    testing::write_bytes(folder.file("ids.txt"), list);
    platform.file_answers = {folder.file("ids.txt")};
    testing::click(sheet().Lab_File[1]);
    std::string expected = said;
    expected.replace(expected.find("<ids>"), 5, folder.file("ids.txt"));
    EXPECT_EQ(platform.messages.back(), expected);
    EXPECT_EQ(state.Sample_Id, ids);
  }
}

}  // namespace
}  // namespace quorin
