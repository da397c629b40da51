// The count data file: its items, loading into the tables under the conditions in force, the
// standard treatment after loading, saving, and the files that are refused.

#include <cmath>
#include <filesystem>

#include "data/count_file.h"
#include "data/sheet_fixture.h"

namespace quorin::testing {
namespace {

TEST(Count_Items, EveryItemIsOneNumberOrEmpty) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<Long> counts;
    Count_Fault fault = Count_Fault::None;
    std::size_t bad_line = 0;
  };
  const Case cases[] = {
      {"as the program writes them", " 1500 \r\n\r\n-3 \r\n", {1500, 0, -3}},
      {"a comma splits a line", "12,34\r\n", {12, 34}},
      {"halves go to the even neighbour", "12.5\r\n13.5\r\n-0.5\r\n", {12, 14, 0}},
      {"blanks around, quotes, an exponent", " \t7\t \r\n\"8 \"\r\n1e3\r\n+9", {7, 8, 1000, 9}},
      {"the end-of-file mark of old systems ends the text", "1\n2\n\x1A\r\n", {1, 2}},
      {"an empty file", "", {}},
      {"a letter after the digits", "1\r\n12x\r\n", {}, Count_Fault::Not_A_Count, 2},
      {"a header line", "NSB,TOTAL\r\n1\r\n", {}, Count_Fault::Not_A_Count, 1},
      {"not a number", "5\r\n\r\nnan\r\n", {}, Count_Fault::Not_A_Count, 3},
      {"blanks between digits", "1 500\r\n", {}, Count_Fault::Not_A_Count, 1},
      {"an exponent mark without digits", "12e\r\n", {}, Count_Fault::Not_A_Count, 1},
      {"beyond 32 bits", "1\r\n2,2147483647\r\n\r\n2147483648\r\n-9999999999\r\n", {}, Count_Fault::Too_Large, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Count_Items items = read_count_items(c.bytes);
    EXPECT_EQ(items.counts, c.counts);
    EXPECT_EQ(items.fault, c.fault);
    EXPECT_EQ(items.bad_line, c.bad_line);
  }
  const Count_Items kept = read_count_items("1\r\n2\r\n3\r\n", 2);
  EXPECT_EQ(kept.counts, (std::vector<Long>{1, 2})) << "only what the sheet can take is held";
  EXPECT_EQ(kept.total, 3u);
}

class Count_File : public Sheet_Test {
 protected:
  // Loads the bytes through the screen's load button.
  void load(const std::string& bytes) {
    write_bytes(folder.file("counts.txt"), bytes);
    platform.file_answers.push_back(folder.file("counts.txt"));
    click(sheet().Command[target::Open_File]);
  }

  std::string save() {
    platform.file_answers.push_back(folder.file("saved.txt"));
    click(sheet().Command[target::Save]);
    return read_bytes(folder.file("saved.txt"));
  }

  static std::string lines(int first, int last) {
    std::string bytes;
    for (int k = first; k <= last; ++k) bytes += std::to_string(k) + "\r\n";
    return bytes;
  }
};

TEST_F(Count_File, TwelveLinesFillEveryTubeOfTheTwelveRowAssay) {
  set_shape(Twelve_Rows);
  state.Sample_Number = 5;
  ASSERT_NE(open_sheet(), nullptr);
  load(lines(1, 12));
  EXPECT_EQ(state.STD_Count(1, 2), 2);
  EXPECT_EQ(state.STD_Count(2, 1), 3);
  EXPECT_EQ(state.Sera_Count(1, 2), 10);
  EXPECT_EQ(state.Sample_Count(1, 2), 12);
  EXPECT_EQ(state.Sample_Number, 1);
  EXPECT_EQ(state.Total_Tubes, 12);
  EXPECT_EQ(column(3)[11], "12") << "the sheet is rebuilt";
  EXPECT_EQ(sheet().caption, "データ入力　File名: " + folder.file("counts.txt"));
  EXPECT_EQ(state.Data_File, folder.file("counts.txt"));
  EXPECT_EQ(platform.dialogs.back().title, "データファイルを開く");
  EXPECT_EQ(platform.dialogs.back().filter, "ﾃｷｽﾄ(*.txt)|*.txt");
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(Count_File, ThirteenLinesStartASecondSampleWhoseOtherTubeIsEmpty) {
  set_shape(Twelve_Rows);
  state.Sample_Count(2, 2) = 999;
  ASSERT_NE(open_sheet(), nullptr);
  load(lines(1, 13));
  EXPECT_EQ(state.Sample_Number, 2);
  EXPECT_EQ(state.Sample_Count(2, 1), 13);
  EXPECT_EQ(state.Sample_Count(2, 2), 0) << "no count of an earlier file stays";
  EXPECT_EQ(state.Total_Tubes, 14);
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{
                "データファイルの測定値は 13 個で、条件の 14 個に足りません。\n残りの 1 本は空のチューブになりました"});
}

TEST_F(Count_File, SavedCountsReadBackByteForByte) {
  set_shape({1, 1, 0, 0, 0, 0});  // NSB, TOTAL, zero standard, standard 1
  state.STD_Count(1, 1) = 1500;
  state.STD_Count(2, 1) = 0;
  state.STD_Count(3, 1) = -3;
  state.STD_Count(4, 1) = 2147483647;
  ASSERT_NE(open_sheet(), nullptr);
  const std::string saved = save();
  EXPECT_EQ(saved, " 1500 \r\n\r\n-3 \r\n 2147483647 \r\n");
  EXPECT_EQ(platform.messages.back(), "データ保存が終了しました");

  for (int row = 1; row <= 4; ++row) state.STD_Count(row, 1) = 77;
  load(saved);
  EXPECT_EQ(state.STD_Count(1, 1), 1500);
  EXPECT_EQ(state.STD_Count(2, 1), 0);
  EXPECT_EQ(state.STD_Count(3, 1), -3);
  EXPECT_EQ(state.STD_Count(4, 1), 2147483647);
  EXPECT_EQ(save(), saved);
}

TEST_F(Count_File, SavingWritesEverySampleEvenWhenEmpty) {
  set_shape({1, 1, 1, 1, 3, 2});  // 4 standard rows, 1 serum tube, 3 samples of 2 tubes
  state.Sample_Count(1, 1) = 5;
  ASSERT_NE(open_sheet(), nullptr);
  const std::string empty = "\r\n";
  EXPECT_EQ(save(), empty + empty + empty + empty + empty + " 5 \r\n" + empty + empty + empty + empty + empty);
}

TEST_F(Count_File, SavingCopiesPendingRowEditsFirst) {
  set_shape(Twelve_Rows);
  state.STD_Count(1, 1) = 10;
  ASSERT_NE(open_sheet(), nullptr);
  click(sheet().Command1);  // insert at row 1
  EXPECT_EQ(save().substr(0, 8), "\r\n 10 \r\n");
}

TEST_F(Count_File, FailedSaveIsReportedAndNotCalledFinished) {
  set_shape(Twelve_Rows);
  ASSERT_NE(open_sheet(), nullptr);
  platform.file_answers.push_back(folder.file("no such folder/saved.txt"));
  click(sheet().Command[target::Save]);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("no such folder"), std::string::npos);
}

TEST_F(Count_File, LoadingRunsTheStandardTreatment) {
  set_shape({1, 3, 0, 0, 0, 0});
  ASSERT_NE(open_sheet(), nullptr);
  // NSB mean 110, zero standard 5110: standard 1 at 2610 is B/B0 50 %, logit 0.
  load("100\r\n110\r\n120\r\n9000\r\n9000\r\n9000\r\n5110\r\n5110\r\n5110\r\n2610\r\n2610\r\n2610\r\n");
  EXPECT_DOUBLE_EQ(state.STD_Data(1, 1), 110);
  EXPECT_NEAR(state.STD_Data(4, 3), 50, 1e-12);
  EXPECT_NEAR(state.STD_Data(4, 8), 0, 1e-12);
}

TEST_F(Count_File, RefusedFilesChangeNothingAndStopTheWizard) {
  struct Case {
    const char* what;
    std::string bytes;  // empty: no file at all
    const char* message_part;
  };
  const Case cases[] = {
      {"a count beyond 32 bits", "1\r\n2\r\n3\r\n99999999999\r\n", "4 行目"},
      {"binary bytes", std::string("\x01\x00\x02\x00\x7f\x03\x00\x00", 8), "テキストファイルではありません"},
      {"no such file", "", "counts.txt"},
  };
  set_shape(Twelve_Rows);
  state.STD_Count(1, 1) = 41;
  state.Sample_Number = 4;
  ASSERT_NE(open_sheet(), nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform.messages.clear();
    std::filesystem::remove(folder.file("counts.txt"));
    if (!c.bytes.empty()) write_bytes(folder.file("counts.txt"), c.bytes);
    platform.file_answers.push_back(folder.file("counts.txt"));
    state.Wizard_Mode = 1;
    Data_Load(program);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].find(c.message_part), std::string::npos) << platform.messages[0];
    EXPECT_EQ(state.Wizard_Mode, 0);
    EXPECT_EQ(state.STD_Count(1, 1), 41);
    EXPECT_EQ(state.Sample_Number, 4);
    EXPECT_EQ(state.Data_File, "");
    EXPECT_EQ(sheet().caption, "データ入力");
  }
}

TEST_F(Count_File, CancelledDialogChangesNothingSilently) {
  set_shape(Twelve_Rows);
  ASSERT_NE(open_sheet(), nullptr);
  state.Wizard_Mode = 1;
  Data_Load(program);
  EXPECT_EQ(state.Wizard_Mode, 0);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(state.Data_File, "");
}

TEST_F(Count_File, WizardStepLoadsIntoTheSheetItHasJustShown) {
  set_shape(Twelve_Rows);
  program.show(Screen::Data);  // the wizard shows the sheet, then loads the counts
  write_bytes(folder.file("counts.txt"), lines(1, 12));
  platform.file_answers.push_back(folder.file("counts.txt"));
  state.Wizard_Mode = 1;
  Data_Load(program);
  EXPECT_EQ(state.Wizard_Mode, 1);
  EXPECT_EQ(column(1)[11], "Sample1-2");
  EXPECT_EQ(column(3)[11], "12");
  EXPECT_EQ(program.desktop.front(), program.screen(Screen::Data));
}

TEST_F(Count_File, WizardStopsWithoutADialogWhenTheSheetCouldNotBeMade) {
  set_shape(Twelve_Rows);
  std::filesystem::create_directory(folder.file("temp.dat"));
  program.show(Screen::Data);
  ASSERT_EQ(program.screen(Screen::Data), nullptr);
  state.Wizard_Mode = 1;
  Data_Load(program);
  EXPECT_EQ(state.Wizard_Mode, 0);
  EXPECT_TRUE(platform.dialogs.empty());
  EXPECT_EQ(platform.messages.size(), 1u) << "only the message about temp.dat";
}

TEST_F(Count_File, SamplesBeyondTheTableAreLeftOutAndCounted) {
  set_shape({1, 1, 0, 0, 1, 1});
  ASSERT_NE(open_sheet(), nullptr);
  load("1\r\n2\r\n3\r\n4\r\n" + lines(1, Max_Samples + 3));
  EXPECT_EQ(state.Sample_Number, Max_Samples);
  EXPECT_EQ(state.Sample_Count(Max_Samples, 1), Max_Samples);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("１０万"), std::string::npos);
  EXPECT_NE(platform.messages[0].find(" 3 個"), std::string::npos);
}

TEST_F(Count_File, SamplesWithoutTubesTakeNoCounts) {
  set_shape({1, 1, 0, 0, 0, 0});
  ASSERT_NE(open_sheet(), nullptr);
  load(lines(1, 6));
  EXPECT_EQ(state.STD_Count(4, 1), 4);
  EXPECT_EQ(state.Sample_Number, 0);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find(" 2 個"), std::string::npos);
}

}  // namespace
}  // namespace quorin::testing
