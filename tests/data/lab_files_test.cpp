// The two files a lab brings beside its counts: the list of sample identifiers and the counter's
// own export. Each either gives everything it holds or is refused, naming the line.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/counter_export.h"
#include "data/sample_ids.h"
#include "text/cp932.h"

namespace quorin {
namespace {

TEST(Lab_Files, IdentifierLists) {
  const struct {
    const char* what;
    std::string text;
    Long samples;
    std::vector<std::string> ids;  // 1.. (index 0 left out)
    std::string refusal, note;
  } cases[] = {
      {"one per line, blanks and quotes dropped", " A-1 \r\n\"B,2\"\r\nC-3\r\n\r\n", 3, {"A-1", "B,2", "C-3"}, "", ""},
      {"pairs in any order", "3,C\n1, A\n", 3, {"A", "", "C"}, "", "ID のないサンプルが 1 件あります (サンプル 3 件, ID 2 件)"},
      {"fewer than the samples", "A\nB\n", 4, {"A", "B", "", ""}, "", "ID のないサンプルが 2 件あります (サンプル 4 件, ID 2 件)"},
      {"more than the samples", "A\nB\nC\n", 2, {}, "3 行目: サンプルは 2 件です (ID が多すぎます)", ""},
      {"an identifier twice", "A\nB\nA\n", 3, {}, "3 行目の ID「A」は 1 行目と同じです", ""},
      {"an empty identifier inside", "A\n\nC\n", 3, {}, "2 行目の ID が空です", ""},
      {"a sample numbered twice", "1,A\n1,B\n", 2, {}, "2 行目: サンプル 1 の ID は 1 行目にもあります", ""},
      {"a line that is no pair among pairs", "1,A\nB\n", 2, {}, "2 行目は「番号,ID」の形ではありません", ""},
  };
  for (const auto& c : cases) {
    const Id_List list = read_id_list(c.text, c.samples);
    EXPECT_EQ(list.refusal, c.refusal) << c.what;
    EXPECT_EQ(list.note, c.note) << c.what;
    if (c.refusal.empty()) {
      EXPECT_EQ(std::vector<std::string>(list.ids.begin() + 1, list.ids.end()), c.ids) << c.what;
    }
  }
  // Code page 932 is taken as well as UTF-8.
  const auto cp932 = text::utf8_to_cp932("検体１\r\n");
  ASSERT_TRUE(cp932);
  EXPECT_EQ(*text::any_text_to_utf8(*cp932), "検体１\r\n");
  EXPECT_EQ(*text::any_text_to_utf8("\xEF\xBB\xBF" "A"), "A");
}

TEST(Lab_Files, CounterExports) {
  const struct {
    const char* what;
    std::string text;
    Counter_Columns columns;
    std::vector<Long> counts;
    std::vector<std::string> ids;
    std::string refusal;
  } cases[] = {
      {"counts per minute rounded as the count file rounds them",
       "Pos,Sample ID,CPM\r\n1,,12.5\r\n2,P-1,13.5\r\n3,\"P,2\",1e3\r\n\r\n", {"CPM", "Sample ID"},
       {12, 14, 1000}, {"", "P-1", "P,2"}, ""},
      {"tab-separated, no identifiers asked for", "Pos\tCounts\n1\t 500 \n2\t0\n", {"Counts", ""}, {500, 0}, {}, ""},
      {"a missing column names the file's", "Pos,CPM\n1,5\n", {"Counts", ""}, {}, {},
       "列「Counts」がありません (ファイルの列: Pos, CPM)"},
      {"a missing identifiers' column", "Pos,CPM\n1,5\n", {"CPM", "ID"}, {}, {}, "列「ID」がありません (ファイルの列: Pos, CPM)"},
      {"a count cell that is no number", "Pos,CPM\n1,5\n2,5 00\n", {"CPM", ""}, {}, {}, "3 行目の「5 00」は測定値ではありません"},
      {"an empty count cell", "Pos,CPM\n1,\n", {"CPM", ""}, {}, {}, "2 行目の「」は測定値ではありません"},
      {"an empty row inside", "Pos,CPM\n1,5\n\n3,6\n", {"CPM", ""}, {}, {}, "3 行目が空です"},
      {"a header alone", "Pos,CPM\r\n", {"CPM", ""}, {}, {}, "測定値の行がありません"},
  };
  for (const auto& c : cases) {
    const Counter_Rows rows = read_counter_export(c.text, c.columns, 100);
    EXPECT_EQ(rows.refusal, c.refusal) << c.what;
    EXPECT_EQ(rows.items.counts, c.counts) << c.what;
    EXPECT_EQ(rows.ids, c.ids) << c.what;
  }
}

}  // namespace
}  // namespace quorin
