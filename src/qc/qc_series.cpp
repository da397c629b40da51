#include "qc/qc_series.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "text/format.h"

namespace quorin::qc {

std::optional<Target> established_target(const std::vector<QC_Run>& runs, int serum) {
  std::vector<double> values;
  for (const QC_Run& run : runs) {
    if (values.size() == static_cast<std::size_t>(Baseline_Runs)) break;
    if (const Serum_Value* value = run.serum(serum); value != nullptr && value->mean) values.push_back(*value->mean);
  }
  if (values.size() < 2) return std::nullopt;
  double sum = 0;
  for (double v : values) sum += v;
  const double mean = sum / static_cast<double>(values.size());
  double squares = 0;
  for (double v : values) squares += (v - mean) * (v - mean);
  const double sd = std::sqrt(squares / static_cast<double>(values.size() - 1));
  if (!(sd > 0) || !std::isfinite(sd)) return std::nullopt;
  return Target{mean, sd, false, static_cast<int>(values.size())};
}

std::string target_source_text(const Target& target) {
  if (target.entered) return "目標値: 入力値";
  if (target.runs >= Baseline_Runs) return "目標値: 最初の " + text::bare_text(Baseline_Runs) + " 回から";
  return "目標値: 全 " + text::bare_text(target.runs) + " 回から (" + text::bare_text(Baseline_Runs) + " 回未満)";
}

std::vector<int> Series::sera() const {
  std::set<int> numbers;
  for (const QC_Run& run : runs)
    for (const Serum_Value& value : run.sera) numbers.insert(value.serum);
  return {numbers.begin(), numbers.end()};
}

Series make_series(std::vector<QC_Run> runs, const std::map<int, Entered_Target>& entered) {
  Series series;
  series.runs = std::move(runs);
  for (int s : series.sera()) {
    if (const auto found = entered.find(s); found != entered.end() && found->second.sd > 0)
      series.targets[s] = {found->second.mean, found->second.sd, true, 0};
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
