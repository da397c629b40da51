// A batch run that cannot reduce the assay stops at the step that failed, says so on standard
// error after the screens' own message, exits with status 1 (2 when an output would overwrite an
// input) and leaves the earlier result file as it was, no report and no scratch file behind.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "batch_fixture.h"

namespace quorin {
namespace {

class Batch_Failures : public testing::Batch_Test {
 protected:
  // A copy of an example file with one text replaced by another.
  std::string changed(const std::string& example, const std::string& name, const std::string& text,
                      const std::string& replacement) const {
    std::string bytes = testing::read_bytes(example);
    bytes.replace(bytes.find(text), text.size(), replacement);
    testing::write_bytes(folder.file(name), bytes);
    return folder.file(name);
  }
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
    std::string reason = "";   // the screens' message before it
  } cases[] = {
      {"missing condition file", [&](Options& o) { o.conditions = folder.file("none.crx"); },
       "条件ファイルを読み込めませんでした: " + folder.file("none.crx"), false,
       "ファイルを開けません: " + folder.file("none.crx")},
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
      {"zero standard below the NSB",
       [&](Options& o) {
         o.counts = changed(testing::Example_Counts, "inverted.txt", " 9973 \r\n 9914 ", " 300 \r\n 301 ");
       },
       "スタンダード　プロットを描けませんでした", false,
       "ゼロスタンダード（B0）の平均カウント 300.5 が NSB の平均カウント 346.5 以下のため"},
      {"eleven serum tubes",
       [&](Options& o) {
         o.conditions = changed(testing::Example_Conditions, "sera.crx", "3\r\n2\r\n50", "3\r\n11\r\n50");
       },
       "条件ファイルを読み込めませんでした: " + folder.file("sera.crx"), false,
       "管理血清ごとのチューブ数は０から１０までです: 11"},
      {"a dilution factor that is no number",
       [&](Options& o) {
         o.conditions = changed(testing::Example_Conditions, "factor.crx", "1.0000\r\n.5000", "x10\r\n.5000");
       },
       "サンプル測定値( 1次重み付け無し)を計算できませんでした", false, "希釈係数が入力されていないため"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Options options = example();
    options.pdf = folder.file("report.pdf");
    testing::write_bytes(options.result, "earlier results\r\n");
    c.change(options);
    testing::Batch_Outcome outcome;
    testing::run_in_process(options, outcome);
    EXPECT_EQ(outcome.status, batch::Exit_Failed);
    EXPECT_TRUE(outcome.errors.ends_with(c.last_message + "\n")) << outcome.errors;
    EXPECT_NE(outcome.errors.find(c.reason), std::string::npos) << outcome.errors;
    EXPECT_EQ(testing::read_bytes(example().result), "earlier results\r\n");
    EXPECT_FALSE(exists(folder.file("none/result.txt")));
    EXPECT_EQ(outcome.printed.documents() > 0, c.printed) << "nothing is printed before the results are known";
    EXPECT_FALSE(exists(folder.file("temp.dat")));
  }
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

TEST_F(Batch_Failures, ARunLeavesTheWorkingFolderAlone) {
  testing::write_bytes(folder.file("temp.dat"), "another run's sheet");
  testing::Batch_Outcome outcome;
  testing::run_in_process(example(), outcome);
  ASSERT_EQ(outcome.status, batch::Exit_Done) << outcome.errors;
  EXPECT_EQ(testing::read_bytes(folder.file("temp.dat")), "another run's sheet");
  EXPECT_EQ(std::filesystem::current_path(), folder.path());
}

}  // namespace
}  // namespace quorin
