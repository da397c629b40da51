// The Westgard rules on hand-made sequences of z values: each rule fires just beyond its limit
// and not at it, judges only the newest run, and counts the measurements of one serum as
// consecutive across a run in which that serum gave no value.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <vector>

#include "qc/qc_series.h"
#include "qc/westgard.h"

namespace quorin::qc {
namespace {

constexpr std::nullopt_t none = std::nullopt;

struct Rule_Case {
  const char* name;
  std::vector<std::vector<std::optional<double>>> runs;  // z of sera 1, 2, ... per run, oldest first
  Verdict verdict;
  std::map<Rule, std::vector<int>> hits;  // of the newest run
};

std::vector<Z_Row> z_rows(const std::vector<std::vector<std::optional<double>>>& runs) {
  std::vector<Z_Row> rows(runs.size());
  for (std::size_t r = 0; r < runs.size(); ++r)
    for (std::size_t s = 0; s < runs[r].size(); ++s) rows[r][s + 1] = runs[r][s];
  return rows;
}

std::vector<std::vector<std::optional<double>>> repeated(int times, std::optional<double> z) {
  return std::vector<std::vector<std::optional<double>>>(times, {z});
}

TEST(Westgard, EachRuleAtItsBoundary) {
  std::vector<std::vector<std::optional<double>>> ten_above = repeated(10, 0.1);
  std::vector<std::vector<std::optional<double>>> ten_with_zero = ten_above;
  ten_with_zero[0] = {0.0};
  std::vector<std::vector<std::optional<double>>> ten_across_gap = repeated(11, -0.4);
  ten_across_gap[4] = {none};
  const Rule_Case cases[] = {
      {"exactly 2 SD breaks nothing", {{2.0, -2.0, 0.3}}, Verdict::Accept, {}},
      {"1-2s just beyond 2 SD", {{2.001, 0.0}}, Verdict::Warning, {{Rule::One_2s, {1}}}},
      {"exactly 3 SD is a warning only", {{0.0, -3.0}}, Verdict::Warning, {{Rule::One_2s, {2}}}},
      {"1-3s", {{0.0, -3.001}}, Verdict::Reject, {{Rule::One_2s, {2}}, {Rule::One_3s, {2}}}},
      {"2-2s in two runs", {{2.1}, {2.1}}, Verdict::Reject, {{Rule::One_2s, {1}}, {Rule::Two_2s, {1}}}},
      {"2-2s needs one side", {{-2.1}, {2.1}}, Verdict::Warning, {{Rule::One_2s, {1}}}},
      {"2-2s with the previous at 2 SD", {{2.0}, {2.5}}, Verdict::Warning, {{Rule::One_2s, {1}}}},
      {"2-2s across a run without the serum",
       {{2.2, 0.0}, {none, 0.1}, {2.2, 0.0}},
       Verdict::Reject,
       {{Rule::One_2s, {1}}, {Rule::Two_2s, {1}}}},
      {"2-2s in one run", {{-2.1, 0.0, -2.2}}, Verdict::Reject, {{Rule::One_2s, {1, 3}}, {Rule::Two_2s, {1, 3}}}},
      {"R-4s", {{2.1, -2.1}}, Verdict::Reject, {{Rule::One_2s, {1, 2}}, {Rule::R_4s, {1, 2}}}},
      {"R-4s needs both beyond 2 SD", {{2.1, -2.0}}, Verdict::Warning, {{Rule::One_2s, {1}}}},
      {"4-1s", {{1.1}, {1.2}, {1.1}, {1.1}}, Verdict::Reject, {{Rule::Four_1s, {1}}}},
      {"4-1s broken by one at 1 SD", {{1.0}, {1.2}, {1.1}, {1.1}}, Verdict::Accept, {}},
      {"4-1s needs four", {{1.5}, {1.5}, {1.5}}, Verdict::Accept, {}},
      {"4-1s below", {{0.0, -1.1}, {0.0, -1.9}, {0.0, -1.1}, {0.0, -1.1}}, Verdict::Reject, {{Rule::Four_1s, {2}}}},
      {"10x", ten_above, Verdict::Reject, {{Rule::Ten_x, {1}}}},
      {"10x broken by one on target", ten_with_zero, Verdict::Accept, {}},
      {"10x needs ten", repeated(9, 0.1), Verdict::Accept, {}},
      {"10x across a run without the serum", ten_across_gap, Verdict::Reject, {{Rule::Ten_x, {1}}}},
      {"only the newest run is judged", {{3.5}, {0.2}}, Verdict::Accept, {}},
      {"no target, no verdict", {{none, none}}, Verdict::No_Target, {}},
  };
  for (const Rule_Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<Z_Row> z = z_rows(c.runs);
    const Run_Check check = check_run(z, z.size() - 1);
    EXPECT_EQ(check.verdict, c.verdict);
    std::map<Rule, std::vector<int>> hits;
    for (const Rule_Hit& hit : check.hits) hits[hit.rule] = hit.sera;
    EXPECT_EQ(hits, c.hits);
  }
}

QC_Run run_of(const std::string& no, const std::string& date, std::vector<std::optional<double>> means) {
  QC_Run run;
  run.substance = "コルチゾール";
  run.assay_no = no;
  run.assay_date = date;
  run.date_key = date_key(date);
  for (std::size_t s = 0; s < means.size(); ++s) run.sera.push_back({static_cast<int>(s + 1), means[s], 1.0, 2});
  return run;
}

// Targets come from the first 20 values of a serum in run order (a run that was saved later but
// measured earlier counts among them); an entered target wins; one value gives none.
TEST(Westgard, TargetsFromTheFirstTwentyRunsOrAsEntered) {
  std::vector<QC_Run> runs;
  for (int day = 25; day >= 1; --day) {                                   // saved newest first
    const double mean = day <= 20 ? (day % 2 == 0 ? 11.0 : 9.0) : 100.0;  // the late runs must not count
    merge_run(runs, run_of("C-" + std::to_string(26 - day), "2026/11/" + std::to_string(day), {mean, std::nullopt}));
  }
  merge_run(runs, run_of("C-0", "2026/12/1", {5.0, 7.0}));
  const Series established = make_series(runs, {});
  ASSERT_EQ(established.targets.count(1), 1u);
  EXPECT_DOUBLE_EQ(established.targets.at(1).mean, 10.0);
  EXPECT_NEAR(established.targets.at(1).sd, std::sqrt(20.0 / 19.0), 1e-12);
  EXPECT_EQ(established.targets.at(1).runs, 20);
  EXPECT_EQ(established.targets.count(2), 0u) << "one value of serum 2 sets no target";
  EXPECT_NEAR(*established.z.back()[1], (5.0 - 10.0) / std::sqrt(20.0 / 19.0), 1e-12);
  EXPECT_EQ(established.checks.back().verdict, Verdict::Reject);

  const Series entered = make_series(runs, {{1, {5.5, 0.25}}});
  EXPECT_TRUE(entered.targets.at(1).entered);
  EXPECT_DOUBLE_EQ(*entered.z.back()[1], -2.0);
  EXPECT_EQ(entered.checks.back().verdict, Verdict::Accept);

  // Saving the same assay again takes the place of its run; the same day written otherwise is the same day.
  const std::size_t place = merge_run(runs, run_of("C-0", "2026/12/01", {5.6, 7.0}));
  EXPECT_EQ(place, runs.size() - 1);
  EXPECT_EQ(runs.size(), 26u);
  EXPECT_EQ(runs[place].serum(1)->mean, 5.6);
}

}  // namespace
}  // namespace quorin::qc
