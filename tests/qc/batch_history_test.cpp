// The whole road of the history from the command line: the example assay saved with --qc keeps
// one run however often it is saved, the judgement goes to standard error, and the export shows
// every serum with its target, z, the rules it broke and the run's verdict.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "batch/batch_fixture.h"
#include "qc/history_store.h"
#include "qc/qc_export.h"
#include "text/format.h"

namespace quorin::qc {
namespace {

class Batch_History : public testing::Batch_Test {
 protected:
  // The example assay under another assay number.
  std::string conditions_numbered(const std::string& number) const {
    std::string bytes = testing::read_bytes(testing::Example_Conditions);
    bytes.replace(bytes.find("C-0142"), 6, number);
    const std::string path = folder.file(number + ".crx");
    testing::write_bytes(path, bytes);
    return path;
  }

  testing::Batch_Outcome save(const std::string& conditions, bool report = false) const {
    batch::Batch_Options options = example();
    options.conditions = conditions;
    options.qc = history;
    if (report) options.pdf = folder.file("report.pdf");
    testing::Batch_Outcome outcome;
    testing::run_in_process(options, outcome);
    EXPECT_EQ(outcome.status, batch::Exit_Done) << outcome.errors;
    return outcome;
  }

  std::vector<std::string> exported_lines() const {
    const std::string csv = folder.file("history.csv");
    const Export_Result written = export_history(history, csv);
    EXPECT_EQ(written.kind, Export_Result::Kind::Written) << written.message;
    std::vector<std::string> lines;
    std::istringstream in(testing::read_bytes(csv));
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.size() - 1));  // CR LF
    return lines;
  }

  const std::string history = folder.file("qc.sqlite");
};

TEST_F(Batch_History, OneRunPerAssayJudgedAndExported) {
  const testing::Batch_Outcome first = save(testing::Example_Conditions);
  EXPECT_NE(first.errors.find("精度管理 コルチゾール  アッセイＮｏ C-0142  実験日 2026/12/01\n判定: 目標値なし\n"
                              "Sera 1: 3.087 μg/dL  目標値なし\n"),
            std::string::npos)
      << first.errors;
  save(testing::Example_Conditions);
  EXPECT_EQ(exported_lines().size(), 1u + 3u) << "saved twice, one run of three sera";

  // A target that puts serum 1 at +3.5 SD: both runs break 1-3s, the second also 2-2s.
  History_Store store;
  std::vector<QC_Run> runs;
  ASSERT_TRUE(store.open(history, Connection::Mode::Write));
  ASSERT_TRUE(store.runs_of("コルチゾール", runs));
  const double mean = *runs[0].sera[0].mean;
  ASSERT_TRUE(store.enter_target("コルチゾール", 1, {mean - 3.5 * 0.01, 0.01}));
  const testing::Batch_Outcome second = save(conditions_numbered("C-0143"), true);
  const std::string verdict = "判定: 却下  1-2s (Sera 1), 1-3s (Sera 1), 2-2s (Sera 1)";
  EXPECT_NE(second.errors.find(verdict + "\n"), std::string::npos) << second.errors;
  // The report carries it under the control-serum table, and a chart for each serum.
  const auto& printed = second.printed.ops();
  const auto has = [&printed](const std::string& text) {
    return std::count_if(printed.begin(), printed.end(), [&](const std::string& op) { return op.ends_with(text); });
  };
  EXPECT_EQ(has("\"" + verdict + "\""), 1);
  EXPECT_EQ(has("\"精度管理図 (Levey-Jennings)\""), 3);

  const std::vector<std::string> lines = exported_lines();
  ASSERT_EQ(lines.size(), 1u + 6u);
  EXPECT_EQ(lines[0], "測定日,アッセイNo,測定物質,単位,管理血清,平均濃度,CV(%),チューブ数,目標平均,目標SD,z,規則,判定");
  const std::string serum_1 = "2026/12/01,C-0142,コルチゾール,μg/dL,1," + text::Format(mean, "");
  EXPECT_TRUE(lines[1].starts_with(serum_1)) << lines[1];
  EXPECT_NE(lines[1].find(",2," + text::Format(mean - 0.035, "") + ",0.01,3.500,1-2s 1-3s,却下"), std::string::npos)
      << lines[1];
  EXPECT_NE(lines[4].find(",3.500,1-2s 1-3s 2-2s,却下"), std::string::npos) << lines[4];
  EXPECT_TRUE(lines[5].starts_with("2026/12/01,C-0143,コルチゾール,μg/dL,2,")) << lines[5];
  EXPECT_TRUE(lines[5].ends_with(",,,,,却下")) << "serum 2 of the rejected run: no target, no rule";
}

TEST_F(Batch_History, ABadHistoryLeavesTheResultSavedAndTheExitDone) {
  testing::write_bytes(history, "not a database\r\n");
  const testing::Batch_Outcome outcome = save(testing::Example_Conditions);
  EXPECT_TRUE(exists(folder.file("result.txt")));
  EXPECT_EQ(outcome.errors.find("精度管理の履歴ファイルを使えません: " + history),
            outcome.errors.rfind("精度管理の履歴ファイルを使えません: "))
      << "told once";
  EXPECT_EQ(testing::read_bytes(history), "not a database\r\n");
  EXPECT_EQ(export_history(history, folder.file("out.csv")).kind, Export_Result::Kind::Failed);
  EXPECT_EQ(export_history(history, history).kind, Export_Result::Kind::Refused);
  EXPECT_EQ(testing::read_bytes(history), "not a database\r\n");
}

}  // namespace
}  // namespace quorin::qc
