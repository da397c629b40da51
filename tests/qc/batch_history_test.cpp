// The whole road of the history from the command line: the example assay saved with --qc keeps
// one run however often it is saved, the judgement goes to standard error and into the report,
// and the export shows every serum with its target, z, the rules it broke and the run's verdict.
// A file that cannot serve as the history is told once and costs nothing else.

#include <gtest/gtest.h>

#include <algorithm>

#include "batch/batch_fixture.h"
#include "qc/history_store.h"
#include "qc/qc_export.h"

namespace quorin::qc {
namespace {

class Batch_History : public testing::Batch_Test {
 protected:
  // A batch run with the history of the example assay, one text of its conditions replaced when given.
  testing::Batch_Outcome save(const std::string& text = "", const std::string& by = "", bool report = false,
                              int model = 0) const {
    batch::Batch_Options options = example(0, 1, {}, {}, model);
    std::string bytes = testing::read_bytes(testing::Example_Conditions);
    if (!text.empty()) bytes.replace(bytes.find(text), text.size(), by);
    testing::write_bytes(options.conditions = folder.file("assay.crx"), bytes);
    options.qc = history;
    if (report) options.pdf = folder.file("report.pdf");
    const testing::Batch_Outcome outcome = testing::run_in_process(options);
    EXPECT_EQ(outcome.status, batch::Exit_Done) << outcome.errors;
    return outcome;
  }

  const std::string history = folder.file("qc.sqlite");
};

TEST_F(Batch_History, OneRunPerAssayJudgedAndExported) {
  // A file that is no history: told once, the result saved all the same, the file untouched.
  testing::write_bytes(history, "not a database\r\n");
  const std::string told = "精度管理の履歴ファイルを使えません: " + history +
                           " (SQLite のデータベースではありません: file is not a database)\n"
                           "以後、精度管理の履歴を使わずに続けます\n";
  const std::string errors = save().errors;
  EXPECT_NE(errors.find(told), std::string::npos) << errors;
  EXPECT_EQ(errors.find(told), errors.rfind("精度管理の履歴ファイルを使えません")) << "told once";
  EXPECT_TRUE(std::filesystem::exists(folder.file("result.txt")));
  EXPECT_EQ(export_history(history, folder.file("out.csv")).kind, Export_Result::Kind::Failed);
  EXPECT_EQ(export_history(history, history).kind, Export_Result::Kind::Refused);
  EXPECT_EQ(testing::read_bytes(history), "not a database\r\n");

  // The first run: judged without targets, yet drawn on each serum's chart, which says why.
  std::filesystem::remove(history);
  const testing::Batch_Outcome first = save("", "", true);
  EXPECT_NE(first.errors.find("精度管理 コルチゾール  アッセイＮｏ C-0142  実験日 2026/12/01\n判定: 目標値なし\n"
                              "検量線: ロジット・ログ 重無1次 (STD 1～8)\nSera 1: 3.087 μg/dL  目標値なし\n"),
            std::string::npos)
      << first.errors;
  const auto& drawn = first.printed.ops();
  // The point on the mean line (z = 0 at y = 4200 twips) of the chart's one run.
  EXPECT_EQ(std::count(drawn.begin(), drawn.end(), "circle 1950,4200 r50"), 3);
  EXPECT_EQ(std::count_if(drawn.begin(), drawn.end(),
                          [](const std::string& op) { return op.find("\"目標値はまだありません") != std::string::npos; }),
            3);
  save("2026/12/01", "2026/12/1");  // the same day
  // A target that puts serum 1 at +3.5 SD: both runs break 1-3s, the later in run order also 2-2s.
  // C-99 comes before C-0142, its number taken as a number.
  History_Store store;
  std::vector<QC_Run> runs;
  ASSERT_TRUE(store.open(history, Connection::Mode::Write));
  ASSERT_TRUE(store.runs_of("コルチゾール", runs));
  ASSERT_EQ(runs.size(), 1u) << "saved twice, one run";
  ASSERT_TRUE(store.keep_target("コルチゾール", 1, {*runs[0].sera[0].mean - 0.035, 0.01}));
  const testing::Batch_Outcome second = save("C-0142", "C-99", true);
  const std::string verdict = "判定: 却下  1-2s (Sera 1), 1-3s (Sera 1)";
  EXPECT_NE(second.errors.find(verdict + "\n"), std::string::npos) << second.errors;
  // The report carries it under the control-serum table, and a chart for each serum.
  const auto& printed = second.printed.ops();
  const auto count = [&printed](const std::string& text) {
    return std::count_if(printed.begin(), printed.end(), [&](const std::string& op) { return op.ends_with(text); });
  };
  EXPECT_EQ(count("\"" + verdict + "\""), 1);
  EXPECT_EQ(count("\"精度管理図 (Levey-Jennings)\""), 3);
  const Export_Result written = export_history(history, folder.file("history.csv"));
  EXPECT_EQ(written.message, "精度管理の履歴を書き出しました: " + folder.file("history.csv") + " (2 回, 6 行)");
  std::string csv = testing::read_bytes(folder.file("history.csv"));
  for (std::size_t at; (at = csv.find("," + station_name() + "\r\n")) != std::string::npos;)
    csv.replace(at + 1, station_name().size(), "STATION");  // the host name of whatever machine runs the test
  testing::expect_golden("history.csv", csv);

  // Read off a 4PL, a run is judged against targets that came from logit-log runs: it says so.
  const std::string by_model = save("C-0142", "C-7", false, 1).errors;
  EXPECT_NE(by_model.find("\n検量線: 4PL 重み付け無し (STD 1～8)\n注意: この測定の検量線 (4PL 重み付け無し (STD 1～8)) は"
                          "目標値を決めた測定の検量線 (不明, 複数の検量線) と異なります\n"),
            std::string::npos)
      << by_model;
}

}  // namespace
}  // namespace quorin::qc
