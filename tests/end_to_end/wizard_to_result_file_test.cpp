// The whole road of one assay: the start-up screen, the wizard from a condition file and a count
// data file through the data sheet and the curve screen to the control-serum table, then the
// other result tables, the result file and the printout.
//
// The counts are made so that every figure can be worked by hand: NSB 200 and B0 10200 on
// average, standards 1, 4, 16 and 36 at B/B0 80, 50, 20 and 10 %, which lie exactly on the line
// logit = ln 4 − ln c. A tube at B/B0 = B % then reads c = 4·(100 − B) / B: 6600 counts
// (64 %) 2.25, 4200 (40 %) 6, 3400 (32 %) 8.5; 10300 (101 %) is beyond the zero standard and
// unusable. Replicates of items other than standards are equal, so that the concentration
// statistics are exact.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "results/reg_result.h"
#include "results/result_export.h"
#include "state/program_fixture.h"
#include "support/screen_text.h"

namespace quorin {
namespace {

using Whole_Road = testing::Program_Test;

TEST_F(Whole_Road, FromTwoFilesToTheSavedResults) {
  testing::run_wizard(program, platform, QUORIN_TEST_DATA "/assay.crx", QUORIN_TEST_DATA "/counts.txt");

  auto* results = program.screen_as<Reg_Result>(Screen::Result);
  ASSERT_TRUE(results != nullptr && program.desktop.front() == results) << "the results screen, in front";
  // The control sera first: 4200 counts (B/B0 40 %) read 6, 3400 (32 %) 8.5. Then the samples:
  // sample 3's counts 4200 and 10300 (beyond the zero standard: 0) have a mean of 7250 and an SD
  // of √18605000 = 4313.35...: count CV 59.49 %. Then the standards read back: standard 2's tubes
  // 5160 and 5240 are B/B0 49.6 and 50.4 %, so 4·50.4/49.6 = 4.0645... and 4·49.6/50.4 = 3.9365...:
  // mean 4.0005, CV 0.0905/4.0005 = 2.26 %.
  // The wizard's messages come first in the record, then the three tables.
  std::string shown = testing::lines_of(platform.messages) + testing::screen_text(*results);
  testing::click(results->Command[11]);
  shown += testing::screen_text(*results);
  testing::click(results->Command[9]);
  testing::expect_golden("result_screens.txt", shown + testing::screen_text(*results));

  platform.file_answers = {folder.file("result.txt")};
  testing::click(results->Command[6]);
  // The condition file's lines, then the standards (NSB 195 and 205: SD 7.07, CV 3.5355 %), the
  // sera and the samples as on the screens.
  testing::expect_golden("result.txt", testing::read_bytes(folder.file("result.txt")));

  platform.messages.clear();
  testing::click(results->Command[5]);  // the standard concentrations, last asked for
  EXPECT_EQ(platform.messages, std::vector<std::string>{"印刷が終了しました"});
  testing::expect_golden("printout.txt", testing::lines_of(platform.recorder.ops()));

  // "CSV保存" and "Excel保存" save the three tables for a spreadsheet under the names chosen.
  platform.messages.clear();
  platform.file_answers = {folder.file("results.csv"), folder.file("results.xlsx")};
  testing::click(results->Export[0]);
  testing::click(results->Export[1]);
  EXPECT_EQ(platform.messages, std::vector<std::string>(2, "データ保存が終了しました"));
  EXPECT_EQ(testing::read_bytes(folder.file("results.csv")), results_csv(program.state));
  EXPECT_TRUE(testing::read_bytes(folder.file("results.xlsx")).starts_with("PK\x03\x04"));
}

}  // namespace
}  // namespace quorin
