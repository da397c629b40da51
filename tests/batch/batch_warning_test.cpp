// Assays that reduce but are not what they seem: a curve that cannot be read one way, a count
// file that loaded with surprises. The run says so on standard error and goes on, or refuses the
// fit as it refuses any fit that cannot be computed; the inputs stay as they were, and an earlier
// result file too when the run is refused. What each run says, and the number of samples its
// result file's header gives, are recorded in golden/warnings.txt.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

#include "batch_fixture.h"

namespace quorin {
namespace {

using testing::Batch_Test;
using testing::replaced;

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

}  // namespace
}  // namespace quorin
