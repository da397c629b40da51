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

class Executable : public testing::Batch_Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(Program_Path)) GTEST_SKIP() << "the program is not built at " << Program_Path;
  }

  // Runs the program with these arguments; returns its exit status, standard output and error kept.
  int run(const std::vector<std::string>& arguments) {
    std::string command = quoted(Program_Path);
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

TEST_F(Executable, HelpGoesToStandardOutput) {
  EXPECT_EQ(run({"--help"}), batch::Exit_Done);
  EXPECT_EQ(out, batch::usage_text());
  EXPECT_EQ(err, "");
}

// The report's pages are those the recording printer counts for the same run: every printout
// went into the one file.
TEST_F(Executable, WritesTheReportAsOnePdf) {
  ASSERT_EQ(run(example_arguments({"--pdf", "report.pdf"})), batch::Exit_Done) << err;
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

TEST_F(Executable, AReportThatCannotBeWrittenLeavesNothing) {
  EXPECT_EQ(run(example_arguments({"--pdf", "none/report.pdf"})), batch::Exit_Failed);
  EXPECT_NE(err.find("PDF ファイルを作成できませんでした: " + folder.file("none/report.pdf")), std::string::npos)
      << err;
  EXPECT_FALSE(exists(folder.file("result.txt")));
}

TEST_F(Executable, AReportIsRemovedWhenTheResultCannotBeSaved) {
  std::filesystem::create_directory(folder.file("taken"));
  EXPECT_EQ(run({"--batch", testing::Example_Conditions, testing::Example_Counts, "taken", "--pdf", "report.pdf"}),
            batch::Exit_Failed);
  EXPECT_NE(err.find("結果ファイルを保存できませんでした"), std::string::npos) << err;
  EXPECT_FALSE(exists(folder.file("report.pdf")));
}

}  // namespace
}  // namespace quorin
