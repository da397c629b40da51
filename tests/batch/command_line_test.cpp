// Reading the command line. Each line of golden/command_lines.txt is a command line (arguments
// separated by spaces, "" for an empty one) and, after " → ", what the program reads from it: its
// kind, files and options ("-" for a range end not given), or the message of the mistake.
//
// The program as a laboratory runs it from a shell. Each "## name: command" line of
// golden/command_runs.txt is a shell command ("quorin" being the program built beside this test
// program, <conditions> and <counts> the example assay's files); after it, what the run gave: its
// exit status, the first word of its standard output, its standard error, and what became of the
// earlier result file and report and of the temporary folder, the folder of the result and the
// scratch file. A run killed from outside may end either way, so only whether it left everything
// whole is recorded; a standard output or error whose reader has gone changes nothing.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "batch_fixture.h"

namespace quorin {
namespace {

std::string reading(const batch::Command_Line& line) {
  if (line.kind == batch::Command_Line::Kind::Error) return line.error;
  const char* const kinds[] = {"screens", "help", "version", "batch", "export"};
  const batch::Batch_Options& o = line.options;
  const auto end = [](std::optional<int> n) { return n ? std::to_string(*n) : std::string("-"); };
  return std::string(kinds[static_cast<int>(line.kind)]) + " " + o.conditions + "|" + o.counts + "|" + o.result + "|" +
         o.pdf + "|" + o.qc + "|" + o.export_csv + " w" + std::to_string(o.weight) + " o" + std::to_string(o.order) +
         " " + end(o.from) + ".." + end(o.to) + " m" + std::to_string(o.model) +
         (o.last_page != 0 ? " p" + std::to_string(o.first_page) + ".." + std::to_string(o.last_page) : "");
}

TEST(Command_Line, ReadsEachLineOrNamesItsMistake) {
  std::istringstream recorded(testing::read_bytes(QUORIN_TEST_GOLDEN "/command_lines.txt"));
  std::string read;
  for (std::string line; std::getline(recorded, line);) {
    const std::string given = line.substr(0, line.find(" → "));
    std::vector<std::string> arguments;
    std::istringstream words(given);
    for (std::string word; words >> word;) arguments.push_back(word == "\"\"" ? "" : word);
    read += given + " → " + reading(batch::parse_command_line(arguments)) + "\n";
  }
  testing::expect_golden("command_lines.txt", read);
}

// Every option the usage lists stands in the manual page too (as troff spells it, "\-\-qc"), so
// that the two cannot drift apart.
TEST(Command_Line, ManualPageNamesEveryOptionOfTheUsage) {
  const std::string manual = testing::read_bytes(QUORIN_SOURCE_DIR "/resources/quorin.1");
  // An option: a word of the usage that is, after any "[" or "(", "-" or "--" and a lower-case
  // letter, then letters and "-".
  const auto lower = [](char c) { return c >= 'a' && c <= 'z'; };
  std::set<std::string> listed;
  std::istringstream words(batch::usage_text());
  for (std::string word; words >> word;) {
    word.erase(0, word.find_first_not_of("[("));
    const std::size_t letter = word.starts_with("--") ? 2 : 1;
    if (word.starts_with('-') && letter < word.size() && lower(word[letter]))
      listed.insert(word.substr(0, word.find_first_not_of("-abcdefghijklmnopqrstuvwxyz")));
  }
  EXPECT_GE(listed.size(), 12u) << "the options are read from the usage";
  for (const std::string& name : listed) {
    // troff writes each "-" as "\-"; the name whole, not the "\-\-qc" of "\-\-qc\-export".
    std::string troff;
    for (char c : name) troff += c == '-' ? std::string(R"(\-)") : std::string(1, c);
    bool whole = false;
    for (std::size_t at = manual.find(troff); at != std::string::npos && !whole; at = manual.find(troff, at + 1)) {
      const std::string_view after = std::string_view(manual).substr(at + troff.size());
      whole = after.empty() || (!lower(after[0]) && !after.starts_with(R"(\-)"));
    }
    EXPECT_TRUE(whole) << name << " is missing from resources/quorin.1";
  }
}

namespace fs = std::filesystem;

std::string shell_quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

using Executable = testing::Batch_Test;
using testing::replace_all;

TEST_F(Executable, AnswersTheShellAndLeavesNothingBehind) {
  // This test program is <build>/tests/test_batch; the program is <build>/quorin.
  const fs::path program = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "quorin";
  batch::Batch_Options options = example();
  options.result = folder.file("whole.txt"), options.pdf = folder.file("whole.pdf");
  const testing::Batch_Outcome in_process = testing::run_in_process(options);
  const std::string whole = testing::read_bytes(options.result), report = folder.file("report.pdf");
  // A folder in the way of a result, the temporary folder, and the window system's own files.
  for (const char* name : {"taken", "tmp", "run"}) fs::create_directory(folder.file(name));
  fs::permissions(folder.file("run"), fs::perms::owner_all);

  std::istringstream recorded(testing::read_bytes(QUORIN_TEST_GOLDEN "/command_runs.txt"));
  std::string told;
  for (std::string line; std::getline(recorded, line);) {
    if (!line.starts_with("## ")) continue;
    std::string command = line.substr(line.find(": ") + 2);
    replace_all(command, "<conditions>", shell_quoted(testing::Example_Conditions));
    replace_all(command, "<counts>", shell_quoted(testing::Example_Counts));
    replace_all(command, "quorin ", shell_quoted(program.string()) + " ");
    testing::write_bytes(folder.file("result.txt"), "earlier\r\n");
    testing::write_bytes(report, "the earlier report");
    testing::write_bytes(folder.file("out.txt"), ""), testing::write_bytes(folder.file("err.txt"), "");
    const int status =
        std::system(("sh -c " + shell_quoted("export TMPDIR=" + shell_quoted(folder.file("tmp")) +
                                             " XDG_RUNTIME_DIR=" + shell_quoted(folder.file("run")) +
                                             "; unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM; " + command))
                        .c_str());
    const std::string out = testing::read_bytes(folder.file("out.txt")), result = testing::read_bytes("result.txt");
    const std::string pdf = testing::read_bytes(report);
    int pages = 0;
    for (auto at = pdf.find("/Type /Page\n"); at != std::string::npos; at = pdf.find("/Type /Page\n", at + 1)) ++pages;
    std::string left = fs::is_empty(folder.file("tmp")) ? "" : " tmp/*";
    if (testing::leftover_temp_files(folder.path()) != 0) left += " temporary files";
    if (fs::exists(folder.file("temp.dat"))) left += " temp.dat";
    told += line + "\n";
    if (command.find("kill ") == std::string::npos) {
      told += "status " + std::to_string(WEXITSTATUS(status)) + "\nstdout: " + out.substr(0, out.find_first_of(" \n")) +
              "\n" + testing::read_bytes(folder.file("err.txt"));
      told += "result: " + std::string(result == whole ? "whole" : result == "earlier\r\n" ? "as before" : "broken");
    } else {
      told += std::string("result: ") + (result == whole || result == "earlier\r\n" ? "whole or as before" : "broken");
    }
    const bool as_printed = pdf.starts_with("%PDF-") && pages == in_process.printed.documents();
    told += std::string(", report: ") + (pdf == "the earlier report" ? "as before"
                                         : as_printed                ? "the pages printed in process"
                                                                     : "broken");
    told += ", left behind:" + (left.empty() ? " nothing" : left) + "\n";
  }
  ASSERT_NE(told.find("\n## equal ends:"), std::string::npos) << "the cases are read from the record";
  replace_all(told, batch::usage_text(), "<usage>\n");
  replace_all(told, folder.path().string(), "<folder>");
  testing::expect_golden("command_runs.txt", told);
}

}  // namespace
}  // namespace quorin
