// The Westgard rules on hand-made sequences of z values: each rule fires just beyond its limit
// and not at it, judges only the newest run, and counts the measurements of one serum as
// consecutive across a run in which that serum gave no value. Targets come from the first 20
// values of a serum in run order, unless entered.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <sstream>
#include <vector>

#include "engine/westgard.h"
#include "qc/qc_series.h"
#include "support/test_support.h"

namespace quorin::qc {
namespace {

// Each line of golden/westgard.txt is a case: its name, the z values of sera 1, 2, ... in each
// run, oldest first ("|" between runs, "-" for a serum without a value), and after " → " the
// verdict of the newest run with the rules it broke.
TEST(Westgard, EachRuleAtItsBoundary) {
  std::istringstream recorded(testing::read_bytes(QUORIN_TEST_GOLDEN "/westgard.txt"));
  std::string judged;
  for (std::string line; std::getline(recorded, line);) {
    const std::string given = line.substr(0, line.find(" → "));
    std::vector<Z_Row> z(1);
    std::istringstream words(given.substr(given.find(": ") + 2));
    int serum = 1;
    for (std::string word; words >> word;) {
      if (word == "|") z.emplace_back(), serum = 1;
      else if (word == "-") ++serum;
      else z.back()[serum++] = std::stod(word);
    }
    const Run_Check check = check_run(z, z.size() - 1);
    const std::string hits = hits_text(check);
    judged += given + " → " + verdict_text(check.verdict) + (hits.empty() ? "" : " " + hits) + "\n";
  }
  EXPECT_NE(judged.find("\nexactly 3 SD is a warning only: 0 -3 → 警告 1-2s (Sera 2)\n"), std::string::npos);
  testing::expect_golden("westgard.txt", judged);
}

QC_Run run_of(const std::string& date, std::vector<std::optional<double>> means) {
  QC_Run run;
  run.assay_no = "C-" + date;
  run.assay_date = date;
  run.date_key = date_key(date);
  for (std::size_t s = 0; s < means.size(); ++s) run.sera.push_back({static_cast<int>(s + 1), means[s], 1.0, 2});
  return run;
}

// A run saved later but measured earlier counts among the first 20; the same assay saved again
// takes its run's place, the same day written otherwise being the same day.
TEST(Westgard, TargetsFromTheFirstTwentyRunsOrAsEntered) {
  std::vector<QC_Run> runs;
  for (int day = 25; day >= 1; --day)  // saved newest first; the late runs must not count
    merge_run(runs, run_of("2026/11/" + std::to_string(day), {day > 20 ? 100.0 : day % 2 == 0 ? 11.0 : 9.0}));
  merge_run(runs, run_of("2026/12/1", {5.0, 7.0}));
  const Series established = make_series(runs, {});
  ASSERT_EQ(established.targets.count(1), 1u);
  EXPECT_EQ(established.targets.count(2), 0u) << "one value of serum 2 sets no target";
  EXPECT_EQ(established.targets.at(1).runs, 20);
  EXPECT_DOUBLE_EQ(established.targets.at(1).mean, 10.0);
  EXPECT_NEAR(established.targets.at(1).sd, std::sqrt(20.0 / 19.0), 1e-12);
  EXPECT_NEAR(*established.z.back()[1], -5.0 / std::sqrt(20.0 / 19.0), 1e-12);
  EXPECT_EQ(established.checks.back().verdict, Verdict::Reject);

  const Series entered = make_series(runs, {{1, {5.5, 0.25}}});
  EXPECT_DOUBLE_EQ(*entered.z.back()[1], -2.0);
  EXPECT_EQ(entered.checks.back().verdict, Verdict::Accept);

  QC_Run again = run_of("2026/12/01", {5.6, 7.0});
  again.assay_no = "C-2026/12/1";
  EXPECT_EQ(merge_run(runs, again), 25u);
  EXPECT_EQ(runs.size(), 26u);
  EXPECT_EQ(runs.back().serum(1)->mean, 5.6);
}

}  // namespace
}  // namespace quorin::qc
