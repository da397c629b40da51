#include "qc/qc_series.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "text/format.h"

namespace quorin::qc {

namespace {

// True when the run comes after the last run a target came from (a run of that assay does not).
bool after(const QC_Run& run, const std::pair<std::string, std::string>& last) {
  QC_Run end;
  end.date_key = last.first;
  end.assay_no = last.second;
  return !(run.date_key == end.date_key && run.assay_no == end.assay_no) && runs_in_order(end, run);
}

// "2026-03-20<TAB>C-20" as the history keeps the last run of a kept target.
std::optional<std::pair<std::string, std::string>> through_of(const std::string& kept) {
  const auto tab = kept.find('\t');
  if (tab == std::string::npos) return std::nullopt;
  return std::make_pair(kept.substr(0, tab), kept.substr(tab + 1));
}

}  // namespace

std::optional<Target> established_target(const std::vector<QC_Run>& runs, int serum) {
  std::vector<double> values;
  std::optional<Run_Curve> curve;
  const QC_Run* last = nullptr;
  for (const QC_Run& run : runs) {
    if (values.size() == static_cast<std::size_t>(Baseline_Runs)) break;
    const Serum_Value* value = run.serum(serum);
    if (value == nullptr || !value->mean) continue;
    values.push_back(*value->mean);
    last = &run;
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
  return Target{
      mean, sd, false, static_cast<int>(values.size()), false, *curve, std::make_pair(last->date_key, last->assay_no)};
}

std::string target_source_text(const Target& target) {
  if (target.entered) return "目標値: 入力値";
  if (target.kept) return "目標値: 最初の " + text::bare_text(target.runs) + " 回から (削除前の値を保持)";
  if (!target.provisional()) return "目標値: 最初の " + text::bare_text(Baseline_Runs) + " 回から";
  return "目標値: 全 " + text::bare_text(target.runs) + " 回から (暫定、" + text::bare_text(Baseline_Runs) + " 回未満)";
}

std::vector<int> Series::sera() const {
  std::set<int> numbers;
  for (const QC_Run& run : runs)
    for (const Serum_Value& value : run.sera) numbers.insert(value.serum);
  return {numbers.begin(), numbers.end()};
}

bool Series::judged(std::size_t run, int serum) const {
  const auto found = targets.find(serum);
  if (found == targets.end() || run >= runs.size()) return false;
  const Target& target = found->second;
  if (target.entered) return true;
  return !target.provisional() && (!target.through || after(runs[run], *target.through));
}

Series make_series(std::vector<QC_Run> runs, const std::map<int, Kept_Target>& kept,
                   const std::vector<QC_Run>* stored) {
  Series series;
  series.runs = std::move(runs);
  const std::vector<QC_Run>& sources = stored != nullptr ? *stored : series.runs;
  for (int s : series.sera()) {
    if (const auto found = kept.find(s); found != kept.end() && found->second.sd > 0) {
      const Kept_Target& target = found->second;
      series.targets[s] = {target.mean,
                           target.sd,
                           target.from_runs == 0,
                           target.from_runs,
                           target.from_runs > 0,
                           target.curve,
                           through_of(target.baseline_through)};
    } else if (const auto target = established_target(sources, s)) {
      series.targets[s] = *target;
    }
  }
  series.z.resize(series.runs.size());
  for (std::size_t r = 0; r < series.runs.size(); ++r) {
    for (const Serum_Value& value : series.runs[r].sera) {
      const auto target = series.targets.find(value.serum);
      if (value.serum < 1 || value.serum > Max_Sera || !value.mean || target == series.targets.end()) continue;
      series.z[r][value.serum] = (*value.mean - target->second.mean) / target->second.sd;
    }
  }
  // Each run is judged on the sera it may be judged on; the runs before it count as they stand.
  std::vector<Z_Row> judging = series.z;
  series.checks.reserve(series.runs.size());
  for (std::size_t r = 0; r < series.runs.size(); ++r) {
    for (int s = 1; s <= Max_Sera; ++s)
      if (!series.judged(r, s)) judging[r][s].reset();
    series.checks.push_back(check_run(judging, r));
    judging[r] = series.z[r];
  }
  return series;
}

std::string run_verdict_text(const Series& series, std::size_t run) {
  const Run_Check& check = series.checks[run];
  if (check.verdict != Verdict::No_Target) return verdict_text(check.verdict);
  bool provisional = false, baseline = false;
  for (const Serum_Value& value : series.runs[run].sera) {
    const auto target = series.targets.find(value.serum);
    if (!value.mean || target == series.targets.end()) continue;
    (target->second.provisional() ? provisional : baseline) = true;
  }
  if (provisional) return "判定なし (暫定の目標値)";
  if (baseline) return "判定なし (目標値を決めた測定)";
  return verdict_text(check.verdict);
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
  return "注意: この測定の検量線 (" + curve_text(today) + ") は目標値を決めた測定の検量線 (" + names + ") と異なります";
}

std::size_t merge_run(std::vector<QC_Run>& runs, QC_Run run) {
  std::erase_if(runs, [&run](const QC_Run& r) { return r.same_assay(run); });
  const auto place = std::upper_bound(runs.begin(), runs.end(), run, runs_in_order);
  const auto inserted = runs.insert(place, std::move(run));
  return static_cast<std::size_t>(inserted - runs.begin());
}

bool same_values(const QC_Run& a, const QC_Run& b) {
  if (a.sera.size() != b.sera.size() || !(a.curve == b.curve) || a.unit != b.unit) return false;
  for (std::size_t i = 0; i < a.sera.size(); ++i) {
    const Serum_Value &x = a.sera[i], &y = b.sera[i];
    if (x.serum != y.serum || x.mean != y.mean || x.cv != y.cv || x.tubes != y.tubes) return false;
  }
  return true;
}

}  // namespace quorin::qc
