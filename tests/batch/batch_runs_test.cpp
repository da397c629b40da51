// A batch run that cannot reduce the assay stops at the step that failed, says so on standard
// error after the screens' own message, exits with status 1 (2 when an output would overwrite an
// input or another output), prints nothing before the results are known, and leaves the earlier
// result file, the history and the inputs as they were, no report and no temporary file behind,
// another run's scratch file and the working folder untouched. A report that cannot take its place
// once the result file is saved exits with status 3 and says that the result file is new. What
// each run says is recorded in golden/failures.txt.
//
// Assays that reduce but are not what they seem: a curve that cannot be read one way, a count
// file that loaded with surprises. The run says so on standard error and goes on, or refuses the
// fit as it refuses any fit that cannot be computed; the inputs stay as they were, and an earlier
// result file too when the run is refused. What each run says, and the number of samples its
// result file's header gives, are recorded in golden/warnings.txt.
//
// From a counter's own export with the tubes' identifiers to the result file, the CSV and the
// Excel workbook, read back with unzip (not with the library that wrote it).

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>

#include "batch_fixture.h"
#include "results/result_export.h"
#include "support/hand_worked_assay.h"
#include "support/text_search.h"

namespace quorin {
namespace {

using testing::Batch_Test;
using testing::replaced;
using testing::unzipped;

TEST_F(Batch_Test, FailuresStopWithTheReasonAndWriteNothing) {
  // A copy of an example file in the folder, with one text replaced by another when given.
  const auto copy = [this](const std::string& example, const std::string& name, const std::string& text = "",
                           const std::string& replacement = "") {
    testing::write_bytes(folder.file(name), replaced(testing::read_bytes(example), text, replacement));
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
      {"result a folder, with a CSV and a workbook asked for",
       [&](Options& o) {
         std::filesystem::create_directory(o.result = folder.file("folder.txt"));
         o.csv = folder.file("results.csv"), o.xlsx = folder.file("results.xlsx");
       }},
      // (The program's own folder is the scratch folder's "quorin" in this test.)
      {"report among the program's outboxes", [&](Options& o) { o.pdf = folder.file("quorin/outbox/lis-a-1.sqlite"); }},
      {"history over the LIS settings", [&](Options& o) { o.qc = folder.file("quorin/lis-settings.txt"); }},
      {"report that cannot take its place after the save",
       [&](Options& o) { refused_place = "PDFファイルを作成できません: " + o.pdf + " (アクセスが拒否されました)"; }},
  };
  std::string told;
  const char* data_home = std::getenv("XDG_DATA_HOME");
  const std::string own_data_home = data_home ? data_home : "";
  ::setenv("XDG_DATA_HOME", folder.path().c_str(), 1);
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
    for (const char* made : {"report.pdf", "none/result.txt", "new.sqlite", "results.csv", "results.xlsx"})
      EXPECT_FALSE(std::filesystem::exists(folder.file(made))) << made;
    EXPECT_EQ(testing::leftover_temp_files(folder.path()), 0);
    EXPECT_EQ(testing::read_bytes(folder.file("temp.dat")), "another run's sheet");
    EXPECT_EQ(std::filesystem::current_path(), folder.path());
  }
  data_home ? ::setenv("XDG_DATA_HOME", own_data_home.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
  testing::replace_all(told, folder.path().string(), "<folder>");
  testing::expect_golden("failures.txt", told);
}

// Where line `line` (counted from 1) of a text of CR LF lines starts, and the line.
std::size_t start_of_line(const std::string& bytes, int line) {
  std::size_t start = 0;
  for (int k = 1; k < line; ++k) start = bytes.find("\r\n", start) + 2;
  return start;
}

std::string line_of(const std::string& bytes, int line) {
  const std::size_t start = start_of_line(bytes, line);
  return bytes.substr(start, bytes.find("\r\n", start) - start);
}

TEST_F(Batch_Test, SurprisingAssaysAreReportedAndReducedOrRefused) {
  const std::string counts = testing::read_bytes(testing::Example_Counts);
  // The standards' pairs of tubes (lines 7 to 22) in the reverse order, so that the counts rise.
  std::string rising = counts.substr(0, start_of_line(counts, 7));
  for (int line = 21; line >= 7; line -= 2)
    rising += counts.substr(start_of_line(counts, line), start_of_line(counts, line + 2) - start_of_line(counts, line));
  rising += counts.substr(start_of_line(counts, 23));
  std::string more = counts;
  for (int tube = 0; tube < 20; ++tube) more += " 3000 \r\n";
  std::string marked = counts;
  marked.insert(start_of_line(marked, 49), "\x1A");  // before sample 11
  // What a row is, the counts and the order of the fit.
  const std::tuple<const char*, std::string, int> rows[] = {
      {"the example", counts, 3},
      {"rising standards, first order", rising, 1},
      {"rising standards, third order", rising, 3},
      {"V-shaped standards", replaced(counts, " 1258 \r\n 1269 ", " 4000 \r\n 4050 "), 1},
      {"standards flat at the top, third order",
       replaced(counts, " 8865 \r\n 8672 \r\n 7910 \r\n 7832 ", " 9300 \r\n 9300 \r\n 9280 \r\n 9280 "), 3},
      {"an end-of-file mark after the last line", counts + "\x1A", 1},
      {"negative counts",
       replaced(replaced(counts, " 1258 \r\n 1269 ", "-1258 \r\n-1269 "), counts.substr(0, 5), "-346 "), 1},
      {"ten samples more than the conditions", more, 1},
      {"an end-of-file mark mid-file", marked, 1},
      {"the standards only", counts.substr(0, start_of_line(counts, 23)), 1},
  };
  std::map<int, std::string> plain;  // the example's result file, by order
  std::string told;
  for (const auto& [what, row_counts, order] : rows) {
    SCOPED_TRACE(what);
    batch::Batch_Options options = example(0, order);
    if (!plain.contains(order)) {
      ASSERT_EQ(testing::run_in_process(options).status, batch::Exit_Done);
      plain[order] = testing::read_bytes(options.result);
    }
    testing::write_bytes(options.counts = folder.file("counts.txt"), row_counts);
    testing::write_bytes(options.result, "earlier results\r\n");
    const testing::Batch_Outcome outcome = testing::run_in_process(options);
    const std::string result = testing::read_bytes(options.result);
    told += std::string("## ") + what + ": status " + std::to_string(outcome.status) + "\n" + outcome.errors +
            (outcome.status == batch::Exit_Done ? "samples in the result file: " + line_of(result, 11)
             : result == "earlier results\r\n"  ? "the earlier result file as it was"
                                                : "the earlier result file changed") +
            "\n";
    if (outcome.errors.find("おそれ") == std::string::npos &&
        outcome.errors.find("データファイル") == std::string::npos) {
      EXPECT_EQ(result, plain[order]) << "a run without a warning reduces as the example";
    }
    EXPECT_EQ(testing::read_bytes(options.counts), row_counts);
  }
  testing::expect_golden("warnings.txt", told);
}

using Lab_Exports = testing::Batch_Test;

TEST_F(Lab_Exports, CounterExportWithIdentifiersToResultCsvAndWorkbook) {
  // The example's counts as a counter writes them: a header, positions, counts per minute with
  // decimals that round to the same counts, and an identifier on every sample tube: "検体-N", or
  // from sample 3 on, identifiers that a spreadsheet would run or read as other texts.
  // clang-format off
  const std::string unusual[] = {"=1+2", "'-5", "-5", "''", "'", "_x0041_", "S_x0031_", "A_x000D_B", "_x005F_x0041_",
                                 "_X004a__x00e9__", "_x004", "__x0041__", "v_x12345.txt"};
  // clang-format on
  const auto id_of = [&](long sample) {
    const auto k = static_cast<std::size_t>(sample - 3);
    return sample >= 3 && k < std::size(unusual) ? unusual[k] : "検体-" + std::to_string(sample);
  };
  std::istringstream counts(testing::read_bytes(testing::Example_Counts));  // a count to a line
  std::string exported = "Pos,Sample ID,CPM\r\n";
  constexpr long Front_Rows = 28, Sample_Tubes = 2;  // (8 + 3) x 2 standard tubes, 3 x 2 serum tubes
  long row = 0;
  for (long count; counts >> count;) {
    const long sample = row >= Front_Rows ? (row - Front_Rows) / Sample_Tubes + 1 : 0;
    exported +=
        std::to_string(++row) + "," + (sample == 0 ? "" : id_of(sample)) + "," + std::to_string(count) + ".4\r\n";
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

  // The identifiers stand beside the samples, "=1+2" marked so that no formula is run; sample 1
  // (row 2 of its sheet) is flagged CV, its mean 28.8293021129393.
  const std::string csv = testing::read_bytes(options.csv);
  testing::expect_golden("results.csv", csv);
  const double flagged_mean = 28.8293021129393;

  // Each identifier read back as a lab's system reads it, one leading apostrophe removed from the
  // CSV's field, and from the workbook's text cell with each "_xHHHH_" read as its character.
  const std::string samples = unzipped(options.xlsx, "xl/worksheets/sheet1.xml");
  for (long sample = 1; sample <= 50; ++sample) {
    const std::string field = testing::between(csv, "\r\nサンプル," + std::to_string(sample) + ",", ",").value_or("-");
    EXPECT_EQ(field.starts_with('\'') ? field.substr(1) : field, id_of(sample)) << "CSV, sample " << sample;
    const auto cell =
        testing::between(samples, "<c r=\"B" + std::to_string(sample + 1) + "\" t=\"inlineStr\"><is><t>", "</t>");
    EXPECT_EQ(testing::workbook_text_shown(cell.value_or("-")).value_or("-"), id_of(sample))
        << "workbook, sample " << sample;
  }

  const std::string workbook = unzipped(options.xlsx, "xl/workbook.xml");
  for (const char* sheet : {"検体", "管理血清", "スタンダード", "検量線"})
    EXPECT_NE(workbook.find("name=\"" + std::string(sheet) + "\""), std::string::npos) << sheet;
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
