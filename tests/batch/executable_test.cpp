// The program as a laboratory runs it from a shell: exit statuses, standard error, the result
// file and the PDF report written by Qt. Needs the built program; skipped without it.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "batch_fixture.h"

namespace quorin {
namespace {

const std::string Program_Path = QUORIN_SOURCE_DIR "/build/release/quorin";

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The line a run of the example assay with its default fit prints first.
const std::string Example_Profile = "精度プロファイル: 測定範囲 (CV ≤ 10 %) 3.13 ～ 39.1 μg/dL\n";

class Executable : public testing::Batch_Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(Program_Path)) GTEST_SKIP() << "the program is not built at " << Program_Path;
  }

  // Runs the program with these arguments, without a display, after the shell commands `before`;
  // returns its exit status, standard output and error kept.
  int run(const std::vector<std::string>& arguments, const std::string& before = "") {
    std::string command = before + "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + quoted(Program_Path);
    for (const std::string& argument : arguments) command += " " + quoted(argument);
    command += " >" + quoted(folder.file("out.txt")) + " 2>" + quoted(folder.file("err.txt"));
    const int status = std::system(command.c_str());
    out = testing::read_bytes(folder.file("out.txt"));
    err = testing::read_bytes(folder.file("err.txt"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::vector<std::string> example_arguments(const std::vector<std::string>& options) const {
    std::vector<std::string> arguments{"--batch", testing::Example_Conditions, testing::Example_Counts, "result.txt"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return arguments;
  }

  std::string out, err;
};

TEST_F(Executable, SavesWhatTheBatchSavesInProcess) {
  ASSERT_EQ(run(example_arguments({"--weight", "2", "--order", "3", "--from", "2"})), batch::Exit_Done) << err;
  EXPECT_EQ(err, "精度プロファイル: 測定範囲 (CV ≤ 10 %) 3.23 ～ 38.5 μg/dL\nデータ保存が終了しました\n");

  batch::Batch_Options options = example(2, 3);
  options.from = 2;
  options.result = folder.file("in_process.txt");
  testing::Batch_Outcome outcome;
  testing::run_in_process(options, outcome);
  ASSERT_EQ(outcome.status, batch::Exit_Done);
  EXPECT_EQ(testing::read_bytes(folder.file("result.txt")), testing::read_bytes(options.result));
}

TEST_F(Executable, ExitStatusTellsWhatWentWrong) {
  const struct {
    const char* what;
    std::vector<std::string> arguments;
    int status;
    std::string error_start;
  } cases[] = {
      {"bad weight", example_arguments({"--weight", "5"}), batch::Exit_Usage,
       "--weight は 0～3 の整数で指定してください: 5\n"},
      {"missing file",
       {"--batch", "none.crx", testing::Example_Counts, "result.txt"},
       batch::Exit_Failed,
       "ファイルを開けません: " + folder.file("none.crx")},
      {"unavailable fit", example_arguments({"--order", "3", "--to", "3"}), batch::Exit_Failed, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(run(c.arguments), c.status);
    EXPECT_TRUE(err.starts_with(c.error_start)) << err;
    EXPECT_FALSE(exists(folder.file("result.txt")));
  }
}

// Help and version are answered without the window system; anything else that is not a batch
// run or the plain screens is a usage error with the usage on standard error.
TEST_F(Executable, CommandLineIsAnsweredOrRefusedWithoutTheScreens) {
  const std::string usage = batch::usage_text();
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string out, err;
  } cases[] = {
      {{"-h"}, batch::Exit_Done, usage, ""},
      {{"--batch", "a.crx", "--help"}, batch::Exit_Done, usage, ""},
      {{"--version"}, batch::Exit_Done, "quorin ", ""},
      {{}, batch::Exit_Failed, "", "画面を表示できません (ディスプレイがありません)\n"},
      {{"a.crx"},
       batch::Exit_Usage,
       "",
       "不明な引数です: a.crx (ファイルを処理するには --batch を付けてください)\n\n" + usage},
      {{"--batch", "", testing::Example_Counts, "result.txt"},
       batch::Exit_Usage,
       "",
       "条件ファイルのパスが空です (\"\")\n\n" + usage},
      {{"--weight", "3", "--batch", testing::Example_Conditions, testing::Example_Counts, "result.txt"},
       batch::Exit_Done,
       "",
       "精度プロファイル: 測定範囲 (CV ≤ 10 %) 3.22 ～ 39.4 μg/dL\nデータ保存が終了しました\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    EXPECT_EQ(run(c.arguments), c.status);
    EXPECT_TRUE(out.starts_with(c.out)) << out;
    EXPECT_TRUE(err.starts_with(c.err)) << err;
    if (c.err.ends_with(usage)) {
      EXPECT_EQ(err, c.err);
    }
  }
}

// A run ended from outside, by the file size limit or by a closed pipe leaves nothing of its own
// behind: no work folder in the temporary folder, no temporary file beside the result, no scratch
// file, and the earlier result file either as it was or replaced whole.
TEST_F(Executable, ARunEndedAtAnyMomentLeavesNothingBehind) {
  ASSERT_EQ(run(example_arguments({})), batch::Exit_Done) << err;
  const std::string complete = testing::read_bytes(folder.file("result.txt")), earlier = "earlier\r\n";
  std::string command = quoted(Program_Path);
  for (const std::string& argument : example_arguments({})) command += " " + quoted(argument);
  const std::string temporary_folder = folder.file("tmp");
  std::filesystem::create_directory(temporary_folder);
  const struct {
    const char* what;
    std::string shell;
    bool file_too_large = false;
  } cases[] = {
      {"SIGTERM at once", "%s 2>/dev/null & kill -TERM $!; wait"},
      {"SIGINT during the run", "%s 2>/dev/null & sleep 0.01; kill -INT $!; wait"},
      {"SIGTERM later in the run", "%s 2>/dev/null & sleep 0.03; kill -TERM $!; wait"},
      {"standard error a closed pipe", "%s 2>&1 | true"},
      {"file size limit", "ulimit -f 4; %s 2>err.txt", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::write_bytes(folder.file("result.txt"), earlier);
    std::string shell = "export TMPDIR=" + quoted(temporary_folder) + "; " + c.shell;
    shell.replace(shell.find("%s"), 2, command);
    const int status = std::system(("sh -c " + (quoted)(shell)).c_str());
    if (c.file_too_large) {
      EXPECT_EQ(WEXITSTATUS(status), batch::Exit_Failed);
      EXPECT_NE(testing::read_bytes(folder.file("err.txt")).find("ファイルが大きすぎます"), std::string::npos);
    }
    const std::string result = testing::read_bytes(folder.file("result.txt"));
    EXPECT_TRUE(result == earlier || result == complete) << result.size() << " bytes";
    EXPECT_TRUE(std::filesystem::is_empty(temporary_folder));
    EXPECT_EQ(testing::leftover_temp_files(folder.path()), 0);
    EXPECT_FALSE(exists(folder.file("temp.dat")));
  }
}

TEST_F(Executable, WritesTheReportAsOnePdf) {
  testing::write_bytes(folder.file("report.pdf"), "the earlier report");
  ASSERT_EQ(run(example_arguments({"--pdf", "report.pdf"})), batch::Exit_Done) << err;
  EXPECT_EQ(err, Example_Profile +
                     "データ保存が終了しました\n印刷が終了しました\nPDFファイル: " + folder.file("report.pdf") + "\n")
      << "the report is announced once, in place after the result file";
  const std::string pdf = testing::read_bytes(folder.file("report.pdf"));
  ASSERT_TRUE(pdf.starts_with("%PDF-")) << pdf.substr(0, 16);

  batch::Batch_Options options = example();
  options.result = folder.file("in_process.txt");
  options.pdf = folder.file("unused.pdf");
  testing::Batch_Outcome outcome;
  testing::run_in_process(options, outcome);
  std::size_t pages = 0;
  for (std::size_t at = pdf.find("/Type /Page\n"); at != std::string::npos; at = pdf.find("/Type /Page\n", at + 1))
    ++pages;
  EXPECT_EQ(pages, static_cast<std::size_t>(outcome.printed.documents()));
}

// A report that cannot be written whole, or whose result file cannot be saved, is reported in one
// line and leaves the earlier PDF file as it was, no result file and no temporary file.
TEST_F(Executable, AReportIsWrittenWholeOrNotAtAll) {
  std::filesystem::create_directory(folder.file("taken"));
  const std::string report = folder.file("report.pdf");
  const struct {
    const char* what;
    std::string before, pdf, result, err;
  } cases[] = {
      {"a device", "", "/dev/full", "result.txt",
       "PDFファイルを作成できません: /dev/full (通常のファイルではありません)\n"},
      {"a missing folder", "", "none/report.pdf", "result.txt",
       "PDFファイルを作成できません: " + folder.file("none/report.pdf") + " (ファイルまたはフォルダがありません)\n"},
      {"a full disk", "trap '' XFSZ; ulimit -f 40; ", "report.pdf", "result.txt",
       "PDFファイルを作成できません: " + report + " (ファイルが大きすぎます)\n"},
      {"a result file that cannot be saved", "", "report.pdf", "taken",
       "ファイルを保存できません: " + folder.file("taken") +
           " (フォルダです)\n結果ファイルを保存できませんでした: " + folder.file("taken") + "\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::write_bytes(report, "the earlier report");
    EXPECT_EQ(
        run({"--batch", testing::Example_Conditions, testing::Example_Counts, c.result, "--pdf", c.pdf}, c.before),
        batch::Exit_Failed);
    EXPECT_EQ(err, Example_Profile + c.err);
    EXPECT_EQ(testing::read_bytes(report), "the earlier report");
    EXPECT_FALSE(exists(folder.file("result.txt")));
    EXPECT_EQ(testing::leftover_temp_files(folder.path()), 0);
  }
}

}  // namespace
}  // namespace quorin
