// The count data file: its items, loading into the tables under the conditions in force, the
// standard treatment after loading, saving, and the files that are refused.

#include <filesystem>

#include "data/count_file.h"
#include "data/data_procedures.h"
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
    std::size_t mark_line = 0, after_mark = 0;
  };
  const Case cases[] = {
      {"as the program writes them", " 1500 \r\n\r\n-3 \r\n", {1500, 0, -3}},
      {"a comma splits a line", "12,34\r\n", {12, 34}},
      {"halves go to the even neighbour", "12.5\r\n13.5\r\n-0.5\r\n", {12, 14, 0}},
      {"blanks around, quotes, an exponent", " \t7\t \r\n\"8 \"\r\n1e3\r\n+9", {7, 8, 1000, 9}},
      {"the end-of-file mark of old systems ends the text", "1\n2\n\x1A\r\n", {1, 2}},
      {"one mid-file: the items after it are counted", "1\n2\n3\x1A\r\n4,5\r\n", {1, 2, 3}, Count_Fault::None, 0, 3, 3},
      {"a letter after the digits", "1\r\n12x\r\n", {}, Count_Fault::Not_A_Count, 2},
      {"not a number", "5\r\n\r\nnan\r\n", {}, Count_Fault::Not_A_Count, 3},
      {"an exponent mark without digits", "12e\r\n", {}, Count_Fault::Not_A_Count, 1},
      {"beyond 32 bits", "1\r\n2,2147483647\r\n\r\n2147483648\r\n-9999999999\r\n", {}, Count_Fault::Too_Large, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Count_Items items = read_count_items(c.bytes);
    EXPECT_EQ(items.counts, c.counts);
    EXPECT_EQ(items.fault, c.fault);
    EXPECT_EQ(items.bad_line, c.bad_line);
    EXPECT_EQ(items.mark_line, c.mark_line);
    EXPECT_EQ(items.after_mark, c.after_mark);
  }
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

  // The lines 1 to last, each number between the blanks given.
  static std::string lines(int last, const std::string& blank = "") {
    std::string bytes;
    for (int k = 1; k <= last; ++k) bytes += blank + std::to_string(k) + blank + "\r\n";
    return bytes;
  }
};

// Each line fills the next tube; what the file does not reach is emptied, what the sheet cannot
// take is left out, and the user is told either.
TEST_F(Count_File, LinesFillTheTubesInOrder) {
  struct Case {
    const char* what;
    Shape shape;
    int lines;
    Long samples;  // afterwards
    std::string saved;
    std::vector<std::string> messages;
  };
  const auto samples_told = [](Long samples) {
    const std::string n = std::to_string(samples);
    return "データファイルのサンプルは " + n + " 点で、条件の 5 点と違います。\nサンプルの点数を " + n +
           " にしました（条件設定と結果ファイルもこの点数です）";
  };
  // clang-format off
  const Case cases[] = {
      {"twelve lines for the twelve-row assay", Twelve_Rows, 12, 1, lines(12, " "), {samples_told(1)}},
      {"a thirteenth line starts a second sample, its other tube empty", Twelve_Rows, 13, 2, lines(13, " ") + "\r\n",
       {"データファイルの測定値は 13 個で、条件の 14 個に足りません。\n残りの 1 本は空のチューブになりました",
        samples_told(2)}},
      {"samples without tubes take no counts", {1, 1, 0, 0, 0, 0}, 6, 5, lines(4, " "),
       {"サンプルごとのチューブ数が 0 のため、ファイルの残りの測定値 2 個は読み込まれていません"}},
      {"samples beyond the table", {1, 1, 0, 0, 1, 1}, 4 + Max_Samples + 3, Max_Samples, "",
       {"サンプルの点数は１０万までです。ファイルの残りの測定値 3 個は読み込まれていません", samples_told(Max_Samples)}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    program.close(Screen::Data);
    platform.messages.clear();
    set_shape(c.shape);
    state.Sample_Number = 5;
    state.Sample_Count(2, 2) = 999;
    ASSERT_NE(open_sheet(), nullptr);
    load(lines(c.lines));
    EXPECT_EQ(state.Sample_Number, c.samples);
    EXPECT_EQ(platform.messages, c.messages);
    if (!c.saved.empty()) {
      EXPECT_EQ(save(), c.saved);
    }
  }
  EXPECT_EQ(state.Sample_Count(Max_Samples, 1), 4 + Max_Samples);
  EXPECT_EQ(sheet().caption, "データ入力　File名: " + folder.file("counts.txt"));
  EXPECT_EQ(state.Data_File, folder.file("counts.txt"));
}

TEST_F(Count_File, RefusedFilesChangeNothingAndStopTheWizard) {
  struct Case {
    const char* what;
    std::string bytes;         // empty: no file at all
    const char* message_part;  // null: the dialog is cancelled
  };
  const Case cases[] = {
      {"the dialog cancelled", "", nullptr},
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
    if (c.message_part != nullptr) platform.file_answers.push_back(folder.file("counts.txt"));
    state.Wizard_Mode = Wizard::Running;
    Data_Load(program);
    ASSERT_EQ(platform.messages.size(), c.message_part ? 1u : 0u);
    if (c.message_part) {
      EXPECT_NE(platform.messages[0].find(c.message_part), std::string::npos) << platform.messages[0];
    }
    EXPECT_EQ(state.Wizard_Mode, Wizard::Idle);
    EXPECT_EQ(state.STD_Count(1, 1), 41);
    EXPECT_EQ(state.Sample_Number, 4);
    EXPECT_EQ(state.Data_File, "");
    EXPECT_EQ(sheet().caption, "データ入力");
  }
}

}  // namespace
}  // namespace quorin::testing
