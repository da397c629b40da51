#pragma once
// The runs of one substance as the chart and the rules see them: in run order, each serum's
// target, every serum value in SD units from its target, and every run judged against the runs
// before it. No run is judged against a target that its own value helped to make: a target
// established from the runs is provisional (no verdict at all) until it rests on Baseline_Runs
// values, and the runs it rests on get no verdict from it; an entered target judges every run.

#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "engine/westgard.h"
#include "qc/history_store.h"
#include "qc/qc_run.h"

namespace quorin::qc {

// A target is established from the serum's first values in run order: 20, for an SD from fewer
// values is too uncertain to judge by (from 20 values its 95 % range is about 0.76 to 1.46 times
// itself; from 5, 0.60 to 2.87 times).
inline constexpr int Baseline_Runs = 20;

struct Target {
  double mean = 0;
  double sd = 0;
  bool entered = false;  // entered by the user; otherwise established from the runs
  int runs = 0;          // the number of values it was established from
  bool kept = false;     // established earlier and kept (a run it came from was deleted)
  Run_Curve curve = {};  // the curve of the runs it came from (Mixed_Curves when they differ)
  // Established or kept: the last run (date key, assay number) of those it came from.
  std::optional<std::pair<std::string, std::string>> through;
  // Established from fewer than Baseline_Runs values: shown, never judged by.
  bool provisional() const { return !entered && !kept && runs < Baseline_Runs; }
};

// The mean and SD (n - 1) of the serum's first Baseline_Runs values in run order, or of all of
// them when there are fewer; none with fewer than 2 values or an SD of 0.
std::optional<Target> established_target(const std::vector<QC_Run>& runs, int serum);

// "目標値: 入力値", "目標値: 最初の 20 回から" or "目標値: 全 7 回から (暫定、20 回未満)".
std::string target_source_text(const Target& target);

struct Series {
  std::vector<QC_Run> runs;       // in run order
  std::map<int, Target> targets;  // by serum, for the sera that have one
  std::vector<Z_Row> z;           // per run, against every target (provisional ones too)
  std::vector<Run_Check> checks;  // per run, against the runs before it, for the sera it is judged on
  // The serum numbers that occur in the runs, in order.
  std::vector<int> sera() const;
  // True when the serum's value in the run is judged by the rules (see above).
  bool judged(std::size_t run, int serum) const;
};

// Judges every run of the substance (runs in run order) with the targets kept, else established
// from `stored` (the runs as the history holds them; the runs themselves when nullptr).
Series make_series(std::vector<QC_Run> runs, const std::map<int, Kept_Target>& kept,
                   const std::vector<QC_Run>* stored = nullptr);

// The verdict of a run as the user reads it: "受理", "却下", ..., or why it has none.
std::string run_verdict_text(const Series& series, std::size_t run);

// The warning for a run whose curve is not the curve of the runs its targets came from: one line
// naming both curves, "" when they agree (or the run has no target).
std::string curve_warning(const Series& series, std::size_t run);

// Puts the run among the runs (in run order), replacing a run of the same assay; returns its place.
std::size_t merge_run(std::vector<QC_Run>& runs, QC_Run run);

// True when the two runs hold the same values: sera, curve and unit.
bool same_values(const QC_Run& a, const QC_Run& b);

}  // namespace quorin::qc
