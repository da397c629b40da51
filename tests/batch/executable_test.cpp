// The program as a laboratory runs it from a shell: exit statuses, standard output and error, the
// result file and the PDF report written by Qt. A run that fails, or is ended from outside, by the
// file size limit or by a closed pipe, leaves the earlier result file and report as they were (or
// replaced whole) and nothing of its own behind: no work folder in the temporary folder, no
// temporary file beside the result, no scratch file. The program is the one built beside this
// test program.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "batch_fixture.h"

namespace quorin {
namespace {

using Arguments = std::vector<std::string>;

std::string shell_quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The example assay into `result` with these options.
Arguments example(const Arguments& options = {}, const std::string& result = "result.txt") {
  Arguments arguments{"--batch", testing::Example_Conditions, testing::Example_Counts, result};
  arguments.insert(arguments.end(), options.begin(), options.end());
  return arguments;
}

TEST(Executable, AnswersTheShellAndLeavesNothingBehind) {
  testing::Scratch_Folder folder;
  // This test program is <build>/tests/test_batch; the program is <build>/quorin.
  const auto program = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "quorin";
  ASSERT_TRUE(std::filesystem::exists(program)) << "the program is not built at " << program;
  const testing::Batch_Outcome in_process = testing::run_in_process(
      batch::parse_command_line(example({"--pdf", "in_process.pdf"}, "in_process.txt")).options);
  const std::string complete = testing::read_bytes(folder.file("in_process.txt")), earlier = "earlier\r\n";
  const std::string usage = batch::usage_text(), report = folder.file("report.pdf");
  const std::string profile = "精度プロファイル: 測定範囲 (CV ≤ 10 %) 3.13 ～ 39.1 μg/dL\n";
  enum Result { Earlier, Complete, Either };
  const std::string plain = "%s >out.txt 2>err.txt";
  const struct {
    const char* what;
    Arguments arguments;
    int status;            // -1: either
    std::string out, err;  // the start of standard output, a part of standard error
    Result result = Earlier;
    std::string shell = "%s >out.txt 2>err.txt";
    bool pdf_written = false;
  } cases[] = {
      {"help", {"-h"}, batch::Exit_Done, usage, ""},
      {"version", {"--version"}, batch::Exit_Done, "quorin ", ""},
      {"no display", {}, batch::Exit_Failed, "", "画面を表示できません (ディスプレイがありません)\n"},
      {"a mistake",
       {"a.crx"},
       batch::Exit_Usage,
       "",
       "不明な引数です: a.crx (ファイルを処理するには --batch を付けてください)\n\n" + usage},
      {"equal ends", example({"--weight", "2", "--from", "3", "--to", "3"}), batch::Exit_Failed, "",
       "検量線 重2 1次 は回帰範囲 STD 3 ～ STD 3 では計算できません\n"},
      {"missing file",
       {"--batch", "none.crx", testing::Example_Counts, "result.txt"},
       batch::Exit_Failed,
       "",
       "ファイルを開けません: " + folder.file("none.crx")},
      {"saved with its report", example({"--pdf", "report.pdf"}), batch::Exit_Done, "",
       profile + "データ保存が終了しました\n印刷が終了しました\nPDFファイル: " + report + "\n", Complete, plain, true},
      {"report to a device", example({"--pdf", "/dev/full"}), batch::Exit_Failed, "",
       profile + "PDFファイルを作成できません: /dev/full (通常のファイルではありません)\n"},
      {"report to a missing folder", example({"--pdf", "none/report.pdf"}), batch::Exit_Failed, "",
       profile + "PDFファイルを作成できません: " + folder.file("none/report.pdf") +
           " (ファイルまたはフォルダがありません)\n"},
      {"report on a full disk", example({"--pdf", "report.pdf"}), batch::Exit_Failed, "",
       profile + "PDFファイルを作成できません: " + report + " (ファイルが大きすぎます)\n", Earlier,
       "trap '' XFSZ; ulimit -f 40; " + plain},
      {"result file that cannot be saved", example({"--pdf", "report.pdf"}, "taken"), batch::Exit_Failed, "",
       profile + "ファイルを保存できません: " + folder.file("taken") +
           " (フォルダです)\n結果ファイルを保存できませんでした: " + folder.file("taken") + "\n"},
      {"result file beyond the size limit", example(), batch::Exit_Failed, "", "(ファイルが大きすぎます)\n", Earlier,
       "ulimit -f 4; " + plain},
      {"SIGTERM at once", example(), -1, "", "", Either, "%s 2>/dev/null & kill -TERM $!; wait"},
      {"SIGINT during the run", example(), -1, "", "", Either, "%s 2>/dev/null & sleep 0.01; kill -INT $!; wait"},
      {"SIGTERM later in the run", example(), -1, "", "", Either, "%s 2>/dev/null & sleep 0.03; kill -TERM $!; wait"},
      {"standard error a closed pipe", example(), -1, "", "", Either, "%s 2>&1 | true"},
  };
  std::filesystem::create_directory(folder.file("taken"));
  std::filesystem::create_directory(folder.file("tmp"));
  std::filesystem::create_directory(folder.file("run"));  // the window system's own files
  std::filesystem::permissions(folder.file("run"), std::filesystem::perms::owner_all);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::write_bytes(folder.file("result.txt"), earlier);
    testing::write_bytes(report, "the earlier report");
    testing::write_bytes(folder.file("out.txt"), ""), testing::write_bytes(folder.file("err.txt"), "");
    std::string command = shell_quoted(program.string());
    for (const std::string& argument : c.arguments) command += " " + shell_quoted(argument);
    std::string shell = "export TMPDIR=" + shell_quoted(folder.file("tmp")) +
                        " XDG_RUNTIME_DIR=" + shell_quoted(folder.file("run")) +
                        "; unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM; " + c.shell;
    shell.replace(shell.find("%s"), 2, command);
    const int status = std::system(("sh -c " + shell_quoted(shell)).c_str());
    EXPECT_TRUE(c.status < 0 || WEXITSTATUS(status) == c.status) << WEXITSTATUS(status);
    const std::string out = testing::read_bytes(folder.file("out.txt")),
                      err = testing::read_bytes(folder.file("err.txt"));
    EXPECT_TRUE(out.starts_with(c.out)) << out;
    EXPECT_NE(err.find(c.err), std::string::npos) << err;
    const std::string result = testing::read_bytes(folder.file("result.txt"));
    EXPECT_TRUE(result == (c.result == Complete ? complete : earlier) || (c.result == Either && result == complete))
        << result.size() << " bytes";
    const std::string pdf = testing::read_bytes(report);
    EXPECT_EQ(pdf == "the earlier report", !c.pdf_written);
    if (c.pdf_written) {
      int pages = 0;
      for (auto at = pdf.find("/Type /Page\n"); at != std::string::npos; at = pdf.find("/Type /Page\n", at + 1))
        ++pages;
      EXPECT_TRUE(pdf.starts_with("%PDF-") && pages == in_process.printed.documents()) << pages << " pages";
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.file("tmp")));
    EXPECT_EQ(testing::leftover_temp_files(folder.path()), 0);
    EXPECT_FALSE(std::filesystem::exists(folder.file("temp.dat")));
  }
}

}  // namespace
}  // namespace quorin
