#pragma once
// The runs of one substance as the chart and the rules see them: in run order, each serum's
// target, every serum value in SD units from its target, and every run judged against the runs
// before it.

#include <map>
#include <optional>
#include <vector>

#include "engine/westgard.h"
#include "qc/history_store.h"
#include "qc/qc_run.h"

namespace quorin::qc {

// A target is established from the serum's first values in run order.
inline constexpr int Baseline_Runs = 20;

struct Target {
  double mean = 0;
  double sd = 0;
  bool entered = false;  // entered by the user; otherwise established from the runs
  int runs = 0;          // the number of values it was established from
  bool kept = false;     // established earlier and kept (a run it came from was deleted)
  Run_Curve curve = {};  // the curve of the runs it came from (Mixed_Curves when they differ)
};

// The mean and SD (n - 1) of the serum's first Baseline_Runs values in run order, or of all of
// them when there are fewer; none with fewer than 2 values or an SD of 0.
std::optional<Target> established_target(const std::vector<QC_Run>& runs, int serum);

// "目標値: 入力値" or "目標値: 最初の 20 回から" / "目標値: 全 7 回から (20 回未満)".
std::string target_source_text(const Target& target);

struct Series {
  std::vector<QC_Run> runs;       // in run order
  std::map<int, Target> targets;  // by serum, for the sera that have one
  std::vector<Z_Row> z;           // per run
  std::vector<Run_Check> checks;  // per run, against the runs before it
  // The serum numbers that occur in the runs, in order.
  std::vector<int> sera() const;
};

// Judges every run of the substance (runs in run order) with the targets kept, else established.
Series make_series(std::vector<QC_Run> runs, const std::map<int, Kept_Target>& kept);

// The warning for a run whose curve is not the curve of the runs its targets came from: one line
// naming both curves, "" when they agree (or the run has no target).
std::string curve_warning(const Series& series, std::size_t run);

// Puts the run among the runs (in run order), replacing a run of the same assay; returns its place.
std::size_t merge_run(std::vector<QC_Run>& runs, QC_Run run);

}  // namespace quorin::qc
