// Reading the command line. Each line of golden/command_lines.txt is a command line (arguments
// separated by spaces, "" for an empty one) and, after " → ", what the program reads from it: its
// kind, files and options ("-" for a range end not given), or the message of the mistake.

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch_options.h"
#include "support/test_support.h"

namespace quorin::batch {
namespace {

std::string reading(const Command_Line& line) {
  if (line.kind == Command_Line::Kind::Error) return line.error;
  const char* const kinds[] = {"screens", "help", "version", "batch", "export"};
  const Batch_Options& o = line.options;
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
    read += given + " → " + reading(parse_command_line(arguments)) + "\n";
  }
  testing::expect_golden("command_lines.txt", read);
}

// Every option the usage lists stands in the manual page too (as troff spells it, "\-\-qc"), so
// that the two cannot drift apart.
TEST(Command_Line, ManualPageNamesEveryOptionOfTheUsage) {
  const std::string manual = testing::read_bytes(QUORIN_SOURCE_DIR "/resources/quorin.1");
  const std::string usage = usage_text();
  // An option: "-" or "--" and a lower-case letter, then letters and "-", after a space, "[" or "(".
  const auto lower = [](char c) { return c >= 'a' && c <= 'z'; };
  std::set<std::string> listed;
  for (std::size_t at = usage.find('-'); at != std::string::npos; at = usage.find('-', at + 1)) {
    if (at > 0 && std::string_view(" [(").find(usage[at - 1]) == std::string_view::npos) continue;
    const std::size_t letter = usage[at + 1] == '-' ? at + 2 : at + 1;
    if (letter >= usage.size() || !lower(usage[letter])) continue;
    std::size_t end = letter;
    while (end < usage.size() && (lower(usage[end]) || usage[end] == '-')) ++end;
    listed.insert(usage.substr(at, end - at));
    at = end - 1;
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

}  // namespace
}  // namespace quorin::batch
