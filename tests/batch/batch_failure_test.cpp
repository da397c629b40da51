// A batch run that cannot reduce the assay stops at the step that failed, says so on standard
// error after the screens' own message, exits with status 1 (2 when an output would overwrite an
// input) and leaves no result file, no report and no scratch file behind.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "batch_fixture.h"

namespace quorin {
namespace {

class Batch_Failures : public testing::Batch_Test {
 protected:
  // A count data file holding the first `lines` lines of the example's.
  std::string first_counts(int lines) const {
    const std::string all = testing::read_bytes(testing::Example_Counts);
    std::size_t end = 0;
    for (int i = 0; i < lines; ++i) end = all.find('\n', end) + 1;
    const std::string path = folder.file("short.txt");
    testing::write_bytes(path, all.substr(0, end));
    return path;
  }
};

TEST_F(Batch_Failures, StopWithTheReasonAndWriteNothing) {
  using Options = batch::Batch_Options;
  const struct {
    const char* what;
    std::function<void(Options&)> change;
    std::string last_message;  // the batch's own, after any message of the screens
    bool printed = false;      // the failure came after the report was printed
  } cases[] = {
      {"missing condition file", [&](Options& o) { o.conditions = folder.file("none.crx"); },
       "条件ファイルを読み込めませんでした: " + folder.file("none.crx")},
      {"missing count file", [&](Options& o) { o.counts = folder.file("none.txt"); },
       "データファイルを読み込めませんでした: " + folder.file("none.txt")},
      {"count file that is no text",
       [&](Options& o) {
         testing::write_bytes(folder.file("binary.txt"), std::string("\x00\x01\x02 1234\r\n", 9));
         o.counts = folder.file("binary.txt");
       },
       "データファイルを読み込めませんでした: " + folder.file("binary.txt")},
      {"standards without counts", [&](Options& o) { o.counts = first_counts(8); },
       "スタンダード　プロットを描けませんでした (測定値のないスタンダードがあります)"},
      {"range beyond the standards", [](Options& o) { o.to = 9; },
       "回帰範囲 STD 1 ～ STD 9 は使えません (スタンダードは 8 点です)"},
      {"cubic over three standards",
       [](Options& o) {
         o.order = 3;
         o.to = 3;
       },
       "検量線 重無3次 は回帰範囲 STD 1 ～ STD 3 では計算できません"},
      {"weighted line over one standard",
       [](Options& o) {
         o.weight = 2;
         o.from = o.to = 4;
       },
       "検量線 重2 1次 は回帰範囲 STD 4 ～ STD 4 では計算できません"},
      {"5PL over three standards",
       [](Options& o) {
         o.model = 2;
         o.to = 3;
       },
       "検量線モデル 5PL 重み付け無し は回帰範囲 STD 1 ～ STD 3 では使えません"},
      {"result folder missing", [&](Options& o) { o.result = folder.file("none/result.txt"); },
       "結果ファイルを保存できませんでした: " + folder.file("none/result.txt"), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Options options = example();
    options.pdf = folder.file("report.pdf");
    c.change(options);
    testing::Batch_Outcome outcome;
    testing::run_in_process(options, outcome);
    EXPECT_EQ(outcome.status, batch::Exit_Failed);
    EXPECT_TRUE(outcome.errors.ends_with(c.last_message + "\n")) << outcome.errors;
    EXPECT_FALSE(exists(options.result));
    EXPECT_EQ(outcome.printed.documents() > 0, c.printed) << "nothing is printed before the results are known";
    EXPECT_FALSE(exists(folder.file("temp.dat")));
  }
}

TEST_F(Batch_Failures, TheScreensMessageComesFirst) {
  batch::Batch_Options options = example();
  options.conditions = folder.file("none.crx");
  testing::Batch_Outcome outcome;
  testing::run_in_process(options, outcome);
  EXPECT_TRUE(outcome.errors.starts_with("ファイルを開けません: " + options.conditions)) << outcome.errors;
}

TEST_F(Batch_Failures, AnOutputNamingAnInputIsAMistakeOfTheCommandLine) {
  const std::string conditions = folder.file("cortisol.crx");
  testing::write_bytes(conditions, testing::read_bytes(testing::Example_Conditions));
  const std::string original = testing::read_bytes(conditions);
  const struct {
    const char* what;
    std::function<void(batch::Batch_Options&)> change;
    std::string message;
  } cases[] = {
      {"result over the conditions", [&](auto& o) { o.result = conditions; },
       "結果ファイルが入力ファイルと同じです: " + conditions},
      {"result over the counts through another spelling",
       [&](auto& o) { o.result = std::string(QUORIN_SOURCE_DIR) + "/examples/../examples/cortisol_counts.txt"; },
       "結果ファイルが入力ファイルと同じです: " + testing::Example_Counts},
      {"report over the result", [&](auto& o) { o.pdf = o.result; },
       "PDF ファイルが入力ファイルと同じです: " + folder.file("result.txt")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    batch::Batch_Options options = example();
    options.conditions = conditions;
    c.change(options);
    testing::Batch_Outcome outcome;
    testing::run_in_process(options, outcome);
    EXPECT_EQ(outcome.status, batch::Exit_Usage);
    EXPECT_EQ(outcome.errors, c.message + "\n");
    EXPECT_EQ(testing::read_bytes(conditions), original);
    EXPECT_FALSE(exists(folder.file("result.txt")));
  }
}

TEST_F(Batch_Failures, AnEarlierResultFileStaysAsItWas) {
  testing::write_bytes(folder.file("result.txt"), "earlier results\r\n");
  batch::Batch_Options options = example(0, 3);
  options.to = 3;
  testing::Batch_Outcome outcome;
  testing::run_in_process(options, outcome);
  ASSERT_EQ(outcome.status, batch::Exit_Failed);
  EXPECT_EQ(testing::read_bytes(folder.file("result.txt")), "earlier results\r\n");
}

TEST_F(Batch_Failures, ARunWorksInAFolderOfItsOwn) {
  testing::write_bytes(folder.file("temp.dat"), "another run's sheet");
  testing::Batch_Outcome outcome;
  testing::run_in_process(example(), outcome);
  ASSERT_EQ(outcome.status, batch::Exit_Done) << outcome.errors;
  EXPECT_EQ(testing::read_bytes(folder.file("temp.dat")), "another run's sheet");
  EXPECT_EQ(std::filesystem::current_path(), folder.path());
}

}  // namespace
}  // namespace quorin
