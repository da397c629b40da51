// A batch run that cannot reduce the assay stops at the step that failed, says so on standard
// error after the screens' own message, exits with status 1 (2 when an output would overwrite an
// input or another output), prints nothing before the results are known, and leaves the earlier
// result file, the history and the inputs as they were, no report and no temporary file behind,
// another run's scratch file and the working folder untouched. A report that cannot take its place
// once the result file is saved exits with status 3 and says that the result file is new. What
// each run says is recorded in golden/failures.txt.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "batch_fixture.h"

namespace quorin {
namespace {

using testing::Batch_Test;

TEST_F(Batch_Test, FailuresStopWithTheReasonAndWriteNothing) {
  // A copy of an example file in the folder, with one text replaced by another when given.
  const auto copy = [this](const std::string& example, const std::string& name, const std::string& text = "",
                           const std::string& replacement = "") {
    const std::string bytes = testing::read_bytes(example);
    testing::write_bytes(folder.file(name), text.empty() ? bytes : testing::replaced(bytes, text, replacement));
    return folder.file(name);
  };
  const std::string conditions = copy(testing::Example_Conditions, "cortisol.crx");
  const std::string counts = copy(testing::Example_Counts, "counts.txt"), all_counts = testing::read_bytes(counts);
  const std::string history = folder.file("qc.sqlite");
  using Options = batch::Batch_Options;
  std::string refused_place;  // set by a row: why the printed report cannot take its place
  const std::pair<const char*, std::function<void(Options&)>> cases[] = {
      {"missing condition file", [&](Options& o) { o.conditions = folder.file("none.crx"); }},
      {"missing count file", [&](Options& o) { o.counts = folder.file("none.txt"); }},
      {"standards without counts",
       [&](Options& o) {
         testing::write_bytes(o.counts = folder.file("short.txt"), all_counts.substr(0, all_counts.find(" 8865 ")));
       }},  // eight lines
      {"range beyond the standards", [](Options& o) { o.to = 9; }},
      {"weighted line over one standard", [](Options& o) { o.weight = 2, o.from = o.to = 4; }},
      {"5PL over three standards", [](Options& o) { o.model = 2, o.to = 3; }},
      {"result folder missing", [&](Options& o) { o.result = folder.file("none/result.txt"); }},
      {"zero standard below the NSB",
       [&](Options& o) {
         o.counts = copy(testing::Example_Counts, "inverted.txt", " 9973 \r\n 9914 ", " 300 \r\n 301 ");
       }},
      {"eleven serum tubes",
       [&](Options& o) {
         o.conditions = copy(testing::Example_Conditions, "sera.crx", "3\r\n2\r\n50", "3\r\n11\r\n50");
       }},
      {"a dilution factor that is no number",
       [&](Options& o) {
         o.conditions = copy(testing::Example_Conditions, "factor.crx", "1.0000\r\n.5", "x10\r\n.5");
       }},
      {"result over the conditions", [&](Options& o) { o.result = conditions; }},
      {"result over the counts through another spelling",
       [&](Options& o) { o.result = folder.file("x/../counts.txt"); }},
      {"report over the result", [&](Options& o) { o.pdf = o.result; }},
      {"history over the result through a symbolic link",
       [&](Options& o) { std::filesystem::create_symlink(o.result, o.qc = folder.file("link.sqlite")); }},
      {"report over the history through a hard link",
       [&](Options& o) { std::filesystem::create_hard_link(o.qc = history, o.pdf = folder.file("hard.pdf")); }},
      {"report through a link to the history not yet made",
       [&](Options& o) {
         std::filesystem::create_symlink(o.qc = folder.file("new.sqlite"), o.pdf = folder.file("new.pdf"));
       }},
      {"report that cannot take its place after the save",
       [&](Options& o) { refused_place = "PDFファイルを作成できません: " + o.pdf + " (アクセスが拒否されました)"; }},
  };
  std::string told;
  for (const auto& [what, change] : cases) {
    SCOPED_TRACE(what);
    Options options = example();
    options.conditions = conditions, options.counts = counts, options.pdf = folder.file("report.pdf");
    testing::write_bytes(options.result, "earlier results\r\n");
    testing::write_bytes(folder.file("temp.dat"), "another run's sheet");
    testing::write_bytes(history, "earlier history");
    for (const char* link : {"link.sqlite", "hard.pdf", "new.pdf"}) std::filesystem::remove(folder.file(link));
    change(options);
    const testing::Batch_Outcome outcome = testing::run_in_process(options, std::exchange(refused_place, ""));
    told += std::string("## ") + what + ": status " + std::to_string(outcome.status) + ", " +
            std::to_string(outcome.printed.documents()) + " pages printed\n" + outcome.errors;
    const bool saved = outcome.status == batch::Exit_Saved_Without_Report;
    EXPECT_EQ(testing::read_bytes(folder.file("result.txt")) == "earlier results\r\n", !saved);
    EXPECT_EQ(testing::read_bytes(conditions), testing::read_bytes(testing::Example_Conditions));
    EXPECT_EQ(testing::read_bytes(counts), all_counts);
    EXPECT_EQ(testing::read_bytes(history), "earlier history");
    EXPECT_FALSE(std::filesystem::exists(folder.file("report.pdf")) ||
                 std::filesystem::exists(folder.file("none/result.txt")) ||
                 std::filesystem::exists(folder.file("new.sqlite")));
    EXPECT_EQ(testing::leftover_temp_files(folder.path()), 0);
    EXPECT_EQ(testing::read_bytes(folder.file("temp.dat")), "another run's sheet");
    EXPECT_EQ(std::filesystem::current_path(), folder.path());
  }
  testing::replace_all(told, folder.path().string(), "<folder>");
  testing::expect_golden("failures.txt", told);
}

}  // namespace
}  // namespace quorin
