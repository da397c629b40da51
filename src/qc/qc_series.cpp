#include "qc/qc_series.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "text/format.h"

namespace quorin::qc {

std::optional<Target> established_target(const std::vector<QC_Run>& runs, int serum) {
  std::vector<double> values;
  std::optional<Run_Curve> curve;
  for (const QC_Run& run : runs) {
    if (values.size() == static_cast<std::size_t>(Baseline_Runs)) break;
    const Serum_Value* value = run.serum(serum);
    if (value == nullptr || !value->mean) continue;
    values.push_back(*value->mean);
    if (!curve) curve = run.curve;
    else if (!(*curve == run.curve)) curve = Run_Curve{Mixed_Curves};
  }
  if (values.size() < 2) return std::nullopt;
  double sum = 0;
  for (double v : values) sum += v;
  const double mean = sum / static_cast<double>(values.size());
  double squares = 0;
  for (double v : values) squares += (v - mean) * (v - mean);
  const double sd = std::sqrt(squares / static_cast<double>(values.size() - 1));
  if (!(sd > 0) || !std::isfinite(sd)) return std::nullopt;
  return Target{mean, sd, false, static_cast<int>(values.size()), false, *curve};
}

std::string target_source_text(const Target& target) {
  if (target.entered) return "目標値: 入力値";
  if (target.kept) return "目標値: 最初の " + text::bare_text(target.runs) + " 回から (削除前の値を保持)";
  if (target.runs >= Baseline_Runs) return "目標値: 最初の " + text::bare_text(Baseline_Runs) + " 回から";
  return "目標値: 全 " + text::bare_text(target.runs) + " 回から (" + text::bare_text(Baseline_Runs) + " 回未満)";
}

std::vector<int> Series::sera() const {
  std::set<int> numbers;
  for (const QC_Run& run : runs)
    for (const Serum_Value& value : run.sera) numbers.insert(value.serum);
  return {numbers.begin(), numbers.end()};
}

Series make_series(std::vector<QC_Run> runs, const std::map<int, Kept_Target>& kept) {
  Series series;
  series.runs = std::move(runs);
  for (int s : series.sera()) {
    if (const auto found = kept.find(s); found != kept.end() && found->second.sd > 0) {
      const Kept_Target& target = found->second;
      series.targets[s] = {target.mean, target.sd, target.from_runs == 0, target.from_runs, target.from_runs > 0,
                           target.curve};
    }
    else if (const auto target = established_target(series.runs, s)) series.targets[s] = *target;
  }
  series.z.resize(series.runs.size());
  for (std::size_t r = 0; r < series.runs.size(); ++r) {
    for (const Serum_Value& value : series.runs[r].sera) {
      const auto target = series.targets.find(value.serum);
      if (value.serum < 1 || value.serum > Max_Sera || !value.mean || target == series.targets.end()) continue;
      series.z[r][value.serum] = (*value.mean - target->second.mean) / target->second.sd;
    }
  }
  series.checks.reserve(series.runs.size());
  for (std::size_t r = 0; r < series.runs.size(); ++r) series.checks.push_back(check_run(series.z, r));
  return series;
}

std::string curve_warning(const Series& series, std::size_t run) {
  const Run_Curve& today = series.runs[run].curve;
  std::vector<Run_Curve> others;
  for (const Serum_Value& value : series.runs[run].sera) {
    const auto target = series.targets.find(value.serum);
    if (target == series.targets.end() || target->second.curve == today) continue;
    if (std::find(others.begin(), others.end(), target->second.curve) == others.end())
      others.push_back(target->second.curve);
  }
  if (others.empty()) return "";
  std::string names;
  for (const Run_Curve& curve : others) names += (names.empty() ? "" : ", ") + curve_text(curve);
  return "注意: この測定の検量線 (" + curve_text(today) + ") は目標値を決めた測定の検量線 (" + names +
         ") と異なります";
}

std::size_t merge_run(std::vector<QC_Run>& runs, QC_Run run) {
  const auto same = std::find_if(runs.begin(), runs.end(), [&run](const QC_Run& r) { return r.same_assay(run); });
  if (same != runs.end()) {
    run.id = same->id;  // it takes the stored run's place
    runs.erase(same);
  }
  const auto place = std::upper_bound(runs.begin(), runs.end(), run, runs_in_order);
  const auto inserted = runs.insert(place, std::move(run));
  return static_cast<std::size_t>(inserted - runs.begin());
}

}  // namespace quorin::qc
