// From a counter's own export with the tubes' identifiers to the result file, the CSV and the
// Excel workbook, read back with unzip (not with the library that wrote it).

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "batch_fixture.h"
#include "results/result_export.h"
#include "support/hand_worked_assay.h"
#include "support/text_search.h"

namespace quorin {
namespace {

using testing::unzipped;

using Lab_Exports = testing::Batch_Test;

TEST_F(Lab_Exports, CounterExportWithIdentifiersToResultCsvAndWorkbook) {
  // The example's counts as a counter writes them: a header, positions, counts per minute with
  // decimals that round to the same counts, and an identifier on every sample tube.
  std::istringstream counts(testing::read_bytes(testing::Example_Counts));  // a count to a line
  std::string exported = "Pos,Sample ID,CPM\r\n";
  constexpr long Front_Rows = 28, Sample_Tubes = 2;  // (8 + 3) x 2 standard tubes, 3 x 2 serum tubes
  long row = 0;
  for (long count; counts >> count;) {
    const long sample = row >= Front_Rows ? (row - Front_Rows) / Sample_Tubes + 1 : 0;
    const std::string id = sample == 0 ? "" : sample == 3 ? "=1+2" : "検体-" + std::to_string(sample);
    exported += std::to_string(++row) + "," + id + "," + std::to_string(count) + ".4\r\n";
  }
  testing::write_bytes(folder.file("counter.csv"), exported);

  ASSERT_EQ(testing::run_in_process(example()).status, batch::Exit_Done);  // the example's own result file
  batch::Batch_Options options = example();
  options.counts = folder.file("counter.csv");
  options.result = folder.file("from_export.txt");
  options.count_column = "CPM", options.id_column = "Sample ID";
  options.csv = folder.file("results.csv"), options.xlsx = folder.file("results.xlsx");
  options.cv_limit = 0.5;
  const testing::Batch_Outcome run = testing::run_in_process(options);
  ASSERT_EQ(run.status, batch::Exit_Done) << run.errors;
  EXPECT_EQ(testing::read_bytes(options.result), testing::read_bytes(folder.file("result.txt")));

  // The identifiers stand beside the samples, "=1+2" quoted so that no formula is run; sample 1
  // (row 2 of its sheet) is flagged CV, its mean 28.8293021129393.
  testing::expect_golden("results.csv", testing::read_bytes(options.csv));
  const double flagged_mean = 28.8293021129393;

  const std::string workbook = unzipped(options.xlsx, "xl/workbook.xml");
  for (const char* sheet : {"検体", "管理血清", "スタンダード", "検量線"})
    EXPECT_NE(workbook.find("name=\"" + std::string(sheet) + "\""), std::string::npos) << sheet;
  const std::string samples = unzipped(options.xlsx, "xl/worksheets/sheet1.xml");
  EXPECT_NE(samples.find("<t>検体-1</t>"), std::string::npos);
  // The flagged sample's mean is a number cell holding the CSV's value, and its flags are shaded.
  const auto cell = testing::between(samples, "<c r=\"C2\"", "</c>");
  const auto mean = cell ? testing::between(*cell, "><v>", "</v>") : std::nullopt;
  ASSERT_TRUE(mean && !mean->empty()) << "C2 is no number cell";
  EXPECT_NEAR(std::stod(*mean), flagged_mean, 1e-12 * flagged_mean);
  // Its flags' style, that style's fill, and the colour of the fill.
  const auto style = testing::between(samples, "<c r=\"L2\" s=\"", "\"");
  ASSERT_TRUE(style && testing::is_digits(*style));
  const std::string styles = unzipped(options.xlsx, "xl/styles.xml");
  const auto xfs = testing::between(styles, "<cellXfs", "</cellXfs>");
  ASSERT_TRUE(xfs);
  const std::vector<std::string> xf = testing::openings(*xfs, "xf");
  ASSERT_LT(std::stoul(*style), xf.size());
  const auto fill_id = testing::between(xf[std::stoul(*style)], "fillId=\"", "\"");
  ASSERT_TRUE(fill_id && testing::is_digits(*fill_id)) << xf[std::stoul(*style)];
  std::size_t fill_at = styles.find("<fill>");
  for (int n = std::stoi(*fill_id); n > 0 && fill_at != std::string::npos; --n)
    fill_at = styles.find("<fill>", fill_at + 1);
  const auto fill = testing::between(styles, "<fill>", "</fill>", fill_at);
  ASSERT_TRUE(fill) << "no fill " << *fill_id;
  EXPECT_NE(fill->find("FFC7CE"), std::string::npos);
}

// A workbook the spreadsheet library refuses (a unit longer than a cell may hold), or whose
// sheet the library cut short in its scratch file (a limit on the size of files, as a full
// temporary folder does), is not saved: the earlier file stays, nothing is left beside it. Nor is
// either file saved from tables that are no longer those of the state in force.
TEST_F(Lab_Exports, WorkbookRefusedOrCutShortLeavesTheFileAsItWas) {
  const auto state = std::make_unique<Assay_State>();
  testing::hand_worked(*state);
  state->Sample_Number = 3000;
  for (Long i = 1; i <= 3000; ++i) {
    state->Sample_Tube_N(i) = 1, state->Sample_Count(i, 1) = 1000, state->Sample_Conc(i, 1) = 1 + i / 7.0;
    state->Sample_Data(i, Sample_Column::Mean) = 1 + i / 7.0;
  }
  testing::as_computed(*state);
  const std::string path = folder.file("results.xlsx");
  const std::string cut =
      " (Excel ファイルの「xl/worksheets/sheet1.xml」が途中で切れています (一時フォルダの空きを確かめてください))";
  for (const bool long_unit : {true, false}) {
    testing::write_bytes(path, "earlier");
    state->Unit_Name = long_unit ? std::string(40000, 'u') : "ng/mL";
    std::string told;
    {
      const testing::File_Size_Limit limit(long_unit ? RLIM_INFINITY : 100000);
      told = save_results_xlsx(*state, path);
    }
    EXPECT_EQ(told, "ファイルを保存できません: " + path +
                        (long_unit ? " (検体 シートの C1: Excel のセルに入る長さ (32767 文字) を超える文字列があります)"
                                   : cut));
    EXPECT_EQ(testing::read_bytes(path), "earlier");
    EXPECT_EQ(testing::leftover_temp_files(folder.path()), 0);
  }
  // Tables computed before a count changed: their intervals would be read off another curve than
  // their concentrations, so neither file is written from them.
  state->Sample_Count(2, 1) = 1001;
  for (const bool workbook : {false, true}) {
    testing::write_bytes(path, "earlier");
    EXPECT_EQ(workbook ? save_results_xlsx(*state, path) : save_results_csv(*state, path),
              "結果の表を計算した後に、条件、測定値または検量線が変わりました。"
              "標準液濃度・管理血清値・サンプル値の表を計算し直してから保存してください");
    EXPECT_EQ(testing::read_bytes(path), "earlier");
  }
}

// A run of a large assay ended by a signal while it writes the workbook leaves nothing in the
// temporary folder or beside the outputs, and every output either whole or as it was.
TEST_F(Lab_Exports, SignalWhileTheWorkbookIsWrittenLeavesNothingBehind) {
  namespace fs = std::filesystem;
  const fs::path program = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "quorin";
  std::string counts = testing::read_bytes(testing::Example_Counts);
  for (int tube = 0; tube < 60000; ++tube) counts += " " + std::to_string(2000 + tube % 4000) + " \r\n";
  testing::write_bytes(folder.file("large.txt"), counts);
  fs::create_directories(folder.file("tmp")), fs::create_directories(folder.file("out"));
  const std::string run = "TMPDIR='" + folder.file("tmp") + "' '" + program.string() + "' --batch '" +
                          testing::Example_Conditions + "' '" + folder.file("large.txt") + "' '" +
                          folder.file("out/result.txt") + "' --xlsx '" + folder.file("out/results.xlsx") +
                          "' 2>/dev/null";
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(std::system(run.c_str()), 0);
  const double whole_run = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  // Late in the run, where the workbook is written (it takes most of it).
  for (const auto& [signal, share] : {std::pair{"TERM", 0.5}, {"INT", 0.7}, {"HUP", 0.85}, {"TERM", 0.95}}) {
    SCOPED_TRACE(signal);
    testing::write_bytes(folder.file("out/results.xlsx"), "earlier");
    std::system(
        ("(" + run + ") & sleep " + std::to_string(share * whole_run) + "; kill -" + signal + " $! 2>/dev/null; wait")
            .c_str());
    EXPECT_TRUE(fs::is_empty(folder.file("tmp")));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.file("out")), {}), 2);
    EXPECT_TRUE(testing::read_bytes(folder.file("out/results.xlsx")) == "earlier" ||
                std::system(("unzip -tqq '" + folder.file("out/results.xlsx") + "'").c_str()) == 0);
  }
}

}  // namespace
}  // namespace quorin
