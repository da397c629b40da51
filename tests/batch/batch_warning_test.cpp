// Assays that reduce but are not what they seem: a curve that cannot be read one way, a count
// file that loaded with surprises. The run says so on standard error and goes on, or refuses the
// fit as it refuses any fit that cannot be computed; the inputs stay as they were, and an earlier
// result file too when the run is refused.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch_fixture.h"

namespace quorin {
namespace {

using testing::Batch_Test;

struct Row {
  const char* what;
  std::string counts;  // the count file's bytes
  int order;
  int status;
  std::vector<std::string> told;  // parts of standard error, in order
  std::string result_line_11;     // the header's number of samples when the result is saved
};

class Batch_Warnings : public Batch_Test {
 protected:
  // Runs each row on the example conditions and checks what it says, returns and leaves.
  void run(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
      SCOPED_TRACE(row.what);
      const std::string counts = folder.file("counts.txt");
      testing::write_bytes(counts, row.counts);
      batch::Batch_Options options = example(0, row.order);
      options.counts = counts;
      testing::write_bytes(options.result, "earlier results\r\n");
      const testing::Batch_Outcome outcome = testing::run_in_process(options);
      EXPECT_EQ(outcome.status, row.status) << outcome.errors;
      std::size_t at = 0;
      for (const std::string& part : row.told) {
        at = outcome.errors.find(part, at);
        EXPECT_NE(at, std::string::npos) << part << "\nnot in\n" << outcome.errors;
        if (at == std::string::npos) break;
      }
      const bool as_example = row.told.empty();
      if (as_example) {
        EXPECT_EQ(outcome.errors.find("おそれ"), std::string::npos) << outcome.errors;
        EXPECT_EQ(outcome.errors.find("データファイル"), std::string::npos) << outcome.errors;
      }
      EXPECT_EQ(testing::read_bytes(counts), row.counts);
      EXPECT_EQ(testing::read_bytes(testing::Example_Conditions), conditions_);
      const std::string result = testing::read_bytes(options.result);
      if (row.status != batch::Exit_Done) {
        EXPECT_EQ(result, "earlier results\r\n");
        continue;
      }
      if (as_example) {
        EXPECT_EQ(result, example_result(row.order));
      }
      const std::size_t line_11 = start_of_line(result, 11);
      EXPECT_EQ(result.substr(line_11, result.find("\r\n", line_11) - line_11), row.result_line_11);
    }
  }

  // The result file of the example as it stands, of the fit of this order.
  std::string example_result(int order) {
    batch::Batch_Options plain = example(0, order);
    plain.result = folder.file("example.txt");
    testing::run_in_process(plain);
    return testing::read_bytes(plain.result);
  }

  static std::size_t start_of_line(const std::string& bytes, int line) {
    std::size_t start = 0;
    for (int k = 1; k < line; ++k) start = bytes.find("\r\n", start) + 2;
    return start;
  }

  // The example counts with the text of the standards' lines (zero standard excluded) replaced.
  std::string with_standards(const std::string& lines) const {
    std::string bytes = counts_;
    bytes.replace(bytes.find(Standards), Standards.size(), lines);
    return bytes;
  }

  static inline const std::string Standards =
      " 9334 \r\n 9336 \r\n 8865 \r\n 8672 \r\n 7910 \r\n 7832 \r\n 6088 \r\n 6038 \r\n 4392 \r\n 4411 \r\n 2812 \r\n"
      " 2764 \r\n 1689 \r\n 1730 \r\n 1258 \r\n 1269 \r\n";
  const std::string counts_ = testing::read_bytes(testing::Example_Counts);
  const std::string conditions_ = testing::read_bytes(testing::Example_Conditions);
};

TEST_F(Batch_Warnings, CurvesThatCannotBeReadOneWay) {
  const std::string rising =
      " 1258 \r\n 1269 \r\n 1689 \r\n 1730 \r\n 2812 \r\n 2764 \r\n 4392 \r\n 4411 \r\n"
      " 6088 \r\n 6038 \r\n 7910 \r\n 7832 \r\n 8865 \r\n 8672 \r\n 9334 \r\n 9336 \r\n";
  std::string v_shaped = Standards, flat_top = Standards;
  v_shaped.replace(v_shaped.find(" 1258 \r\n 1269 "), 15, " 4000 \r\n 4050 ");
  flat_top.replace(flat_top.find(" 8865 \r\n 8672 \r\n 7910 \r\n 7832 "), 30, " 9300 \r\n 9300 \r\n 9280 \r\n 9280 ");
  const std::string line_refused = "1次：傾きが 0 以上のため、濃度を読み取れません";
  const std::string not_falling = "スタンダードの平均カウントが濃度の順に下がっていません（";
  const std::string cubic_turns = "重無3次：3次式が回帰範囲のスタンダードの濃度の間で下がり続けていないため";
  run({
      {"the example", counts_, 3, batch::Exit_Done, {}, "50"},
      {"rising standards, first order",
       with_standards(rising),
       1,
       batch::Exit_Failed,
       {"重無1次・重1 1次・重3 1次・重2 1次：傾きが 0 以上",
        not_falling + "スタンダード 1 の 1263.5 → スタンダード 2 の 1709.5 → スタンダード 3 の 2788 → ",
        "検量線 重無1次 は回帰範囲 STD 1 ～ STD 8 では計算できません"},
       ""},
      {"rising standards, third order",
       with_standards(rising),
       3,
       batch::Exit_Done,
       {line_refused, not_falling, cubic_turns},
       "50"},
      {"V-shaped standards",
       with_standards(v_shaped),
       1,
       batch::Exit_Done,
       {not_falling + "スタンダード 7 の 1709.5 → スタンダード 8 の 4025）"},
       "50"},
      {"standards flat at the top, third order", with_standards(flat_top), 3, batch::Exit_Done, {cubic_turns}, "50"},
  });
}

TEST_F(Batch_Warnings, CountFilesThatLoadWithSurprises) {
  std::string negative = with_standards(Standards);
  negative.replace(0, 5, "-346 ");
  negative.replace(negative.find(" 1258 \r\n 1269 "), 15, "-1258 \r\n-1269 ");
  std::string marked = counts_, more = counts_;
  marked.insert(start_of_line(marked, 49), "\x1A");  // before sample 11
  for (int tube = 0; tube < 20; ++tube) more += " 3000 \r\n";
  run({
      {"an end-of-file mark after the last line", counts_ + "\x1A", 1, batch::Exit_Done, {}, "50"},
      {"negative counts",
       negative,
       1,
       batch::Exit_Done,
       {"データファイルに負の測定値が 3 本あります（NSB の1本目、STD 8 の1本目、STD 8 "
        "の2本目）。そのまま読み込みました\n"
        "スタンダード 8（-1263.5）の平均カウントが負のため、検量線に使えません"},
       "50"},
      {"ten samples more than the conditions",
       more,
       1,
       batch::Exit_Done,
       {"データファイルのサンプルは 60 点で、条件の 50 点と違います。\nサンプルの点数を 60 にしました"},
       "60"},
      {"an end-of-file mark mid-file",
       marked,
       1,
       batch::Exit_Done,
       {"データファイルの 49 行目にファイルの終わりを示す文字（1Ah）があり、そこで読み込みを終えました。\n"
        "その後の測定値 80 個は読み込まれていません",
        "データファイルのサンプルは 10 点で、条件の 50 点と違います。"},
       "10"},
  });
}

}  // namespace
}  // namespace quorin
