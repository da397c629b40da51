// The files a lab brings: the count data file (its items, loading into the tables under the
// conditions in force, saving, the files that are refused), the counter's own export through its
// columns dialog and the list of sample identifiers. Each either gives everything it holds or is
// refused, naming the line.

#include "data/count_file.h"
#include "data/counter_export.h"
#include "data/data_procedures.h"
#include "data/reg_columns.h"
#include "data/sample_ids.h"
#include "data/sheet_fixture.h"
#include "support/assay_digest.h"
#include "text/cp932.h"

namespace quorin::testing {
namespace {

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
    set_shape(shape);
    state.Sample_Number = 5;
    state.Sample_Count(2, 2) = 999;
    ASSERT_NE(open_sheet(), nullptr);
    write_bytes(folder.file("counts.txt"), lines(line_count));
    platform.file_answers.push_back(folder.file("counts.txt"));
    click(sheet().Command[target::Open_File]);
    EXPECT_EQ(state.Sample_Number, samples);
    told += std::string("## ") + what + "\n" + lines_of(platform.messages);
    if (!saved.empty()) { EXPECT_EQ(save_counts(), saved); }
  }
  expect_golden("lines_told.txt", told);
  EXPECT_EQ(state.Sample_Count(Max_Samples, 1), 4 + Max_Samples);
  // The sheet names the file (that the assay keeps its name is the columns dialog's test below).
  EXPECT_EQ(sheet().caption, "データ入力　File名: " + folder.file("counts.txt"));
}

// The dialog cancelled (nothing is said), then a file that is not there (the message names it).
// A file that is read and refused takes the same way; what each refusal says is the count items'
// test and the file failures' test.
TEST_F(Count_File, RefusedFilesChangeNothingAndStopTheWizard) {
  set_shape(Twelve_Rows);
  state.STD_Count(1, 1) = 41;
  state.Sample_Number = 4;
  ASSERT_NE(open_sheet(), nullptr);
  const std::uint64_t before = assay_digest(state);
  for (const bool answered : {false, true}) {
    SCOPED_TRACE(answered ? "no such file" : "the dialog cancelled");
    platform.messages.clear();
    if (answered) platform.file_answers.push_back(folder.file("counts.txt"));
    state.Wizard_Mode = Wizard::Running;
    Data_Load(program);
    ASSERT_EQ(platform.messages.size(), answered ? 1u : 0u);
    if (answered) { EXPECT_NE(platform.messages[0].find(folder.file("counts.txt")), std::string::npos); }
    EXPECT_EQ(state.Wizard_Mode, Wizard::Idle);
    EXPECT_EQ(assay_digest(state), before);
    EXPECT_EQ(sheet().caption, "データ入力");
  }
}

TEST_F(Count_File, CounterExportThroughItsColumnsThenIdentifiers) {
  set_shape({1, 2, 1, 2, 2, 2});  // 8 standard rows, 2 serum tubes, 2 samples of 2 tubes
  ASSERT_NE(open_sheet(), nullptr);
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
  EXPECT_EQ(platform.messages.back(),
            "ID ファイルを読み込めません: " + folder.file("ids.txt") + " (3 行目: サンプルは 2 件です (ID が多すぎます))");
  EXPECT_EQ(state.Sample_Id, (std::vector<std::string>{"", "S-1", "S-2"}));
}

TEST(Lab_Files, IdentifierListsAndCounterExports) {
  // What, the text, the samples, the identifiers 1.. (index 0 left out), the refusal and the note.
  // clang-format off
  const std::tuple<const char*, std::string, Long, std::vector<std::string>, std::string, std::string> cases[] = {
      {"one per line, blanks and quotes dropped", " A-1 \r\n\"B,2\"\r\nC-3\r\n\r\n", 3, {"A-1", "B,2", "C-3"}, "", ""},
      {"pairs in any order", "3,C\n1, A\n", 3, {"A", "", "C"}, "", "ID のないサンプルが 1 件あります (サンプル 3 件, ID 2 件)"},
      {"fewer than the samples", "A\nB\n", 4, {"A", "B", "", ""}, "", "ID のないサンプルが 2 件あります (サンプル 4 件, ID 2 件)"},
      {"more than the samples", "A\nB\nC\n", 2, {}, "3 行目: サンプルは 2 件です (ID が多すぎます)", ""},
      {"an identifier twice", "A\nB\nA\n", 3, {}, "3 行目の ID「A」は 1 行目と同じです", ""},
      {"an empty identifier inside", "A\n\nC\n", 3, {}, "2 行目の ID が空です", ""},
      {"a sample numbered twice", "1,A\n1,B\n", 2, {}, "2 行目: サンプル 1 の ID は 1 行目にもあります", ""},
      {"a line that is no pair among pairs", "1,A\nB\n", 2, {}, "2 行目は「番号,ID」の形ではありません", ""},
  };
  // clang-format on
  for (const auto& [what, text, samples, ids, refusal, note] : cases) {
    const Id_List list = read_id_list(text, samples);
    EXPECT_EQ(list.refusal + "|" + list.note, refusal + "|" + note) << what;
    if (refusal.empty()) { EXPECT_EQ(std::vector<std::string>(list.ids.begin() + 1, list.ids.end()), ids) << what; }
  }
  // Code page 932 is taken as well as UTF-8.
  EXPECT_EQ(text::any_text_to_utf8(cp932("検体１\r\n")), "検体１\r\n");
  EXPECT_EQ(text::any_text_to_utf8(std::string("\xEF\xBB\xBF") + "A"), "A");

  // The counter's own export, read by the columns the user names. (A missing count column is the
  // columns dialog's test above.)
  // What, the text, the columns asked for, the counts and identifiers read, the refusal.
  // clang-format off
  const std::tuple<const char*, std::string, Counter_Columns, std::vector<Long>, std::vector<std::string>, std::string>
      exports[] = {
      {"counts per minute rounded as the count file rounds them",
       "Pos,Sample ID,CPM\r\n1,,12.5\r\n2,P-1,13.5\r\n3,\"P,2\",1e3\r\n\r\n", {"CPM", "Sample ID"},
       {12, 14, 1000}, {"", "P-1", "P,2"}, ""},
      {"tab-separated, no identifiers asked for", "Pos\tCounts\n1\t 500 \n2\t0\n", {"Counts", ""}, {500, 0}, {}, ""},
      {"a missing identifiers' column", "Pos,CPM\n1,5\n", {"CPM", "ID"}, {}, {}, "列「ID」がありません (ファイルの列: Pos, CPM)"},
      {"a count cell that is no number", "Pos,CPM\n1,5\n2,5 00\n", {"CPM", ""}, {}, {}, "3 行目の「5 00」は測定値ではありません"},
      {"an empty count cell", "Pos,CPM\n1,\n", {"CPM", ""}, {}, {}, "2 行目の「」は測定値ではありません"},
      {"an empty row inside", "Pos,CPM\n1,5\n\n3,6\n", {"CPM", ""}, {}, {}, "3 行目が空です"},
      {"a header alone", "Pos,CPM\r\n", {"CPM", ""}, {}, {}, "測定値の行がありません"},
  };
  // clang-format on
  for (const auto& [what, text, columns, counts, ids, refusal] : exports) {
    const Counter_Rows rows = read_counter_export(text, columns, 100);
    EXPECT_TRUE(std::tie(rows.refusal, rows.items.counts, rows.ids) == std::tie(refusal, counts, ids))
        << what << ": " << rows.refusal;
  }
}

}  // namespace
}  // namespace quorin::testing
