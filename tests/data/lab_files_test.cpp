// The files a lab brings: the count data file (its items, loading into the tables under the
// conditions in force, saving, the files that are refused), the counter's own export through its
// columns dialog and the list of sample identifiers. Each either gives everything it holds or is
// refused, naming the line.

#include "data/count_file.h"
#include "data/counter_export.h"
#include "data/reg_columns.h"
#include "data/sample_ids.h"
#include "data/sheet_fixture.h"
#include "data/sheet_layout.h"
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
    set_shape(state, shape);
    state.Sample_Number = 5;
    state.Sample_Count(2, 2) = 999;
    ASSERT_NE(open_sheet(), nullptr);
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
  EXPECT_EQ(platform.messages.back(), "ID ファイルを読み込めません: " + folder.file("ids.txt") +
                                          " (3 行目: サンプルは 2 件です (ID が多すぎます))");
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
  // Code page 932 is taken as well as UTF-8.
  EXPECT_EQ(text::any_text_to_utf8(cp932("検体１\r\n")), "検体１\r\n");
  EXPECT_EQ(text::any_text_to_utf8(std::string("\xEF\xBB\xBF") + "A"), "A");
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
