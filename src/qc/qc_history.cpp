#include "qc/qc_history.h"

#include <algorithm>
#include <cstdlib>

#include "qc/lj_chart.h"
#include "qc/outbox.h"
#include "qc/qc_procedures.h"
#include "qc/qc_record.h"
#include "qc/reg_qc.h"
#include "state/program.h"
#include "text/format.h"

namespace quorin::qc {

namespace {

// The control-serum table's printout (10 points) holds lines of 108 half-width columns.
constexpr std::size_t Judgement_Columns = 100;

constexpr const char* Going_On = "以後、判定には履歴を使わずに続けます (測定の記録は保存のときにもう一度試みます)";

}  // namespace

void give_up_history(Program& program, const Db_Outcome& outcome) {
  program.qc_history.failure = history_message(program.qc_history.path, outcome);
  program.platform.message(program.qc_history.failure + "\n" + Going_On);
}

std::string default_history_path() {
  const char* data_home = std::getenv("XDG_DATA_HOME");
  if (data_home != nullptr && data_home[0] == '/') return std::string(data_home) + "/quorin/qc.sqlite";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return std::string(home) + "/.local/share/quorin/qc.sqlite";
  return "";
}

Access open_history(Program& program, History_Store& store, Connection::Mode mode) {
  auto& history = program.qc_history;
  if (history.path.empty() || !history.failure.empty()) return Access::Off;
  const Db_Outcome outcome = store.open(history.path, mode);
  if (outcome) return Access::Opened;
  if (outcome.failure == Db_Failure::Missing) return Access::No_File;
  give_up_history(program, outcome);
  return Access::Off;
}

std::optional<Judged_Runs> judged_runs(Program& program, const std::string& substance,
                                       const std::optional<QC_Run>& extra) {
  History_Store store;
  const Access access = open_history(program, store, Connection::Mode::Read);
  if (access == Access::Off) return std::nullopt;
  std::vector<QC_Run> runs;
  std::map<int, Kept_Target> targets;
  if (access == Access::Opened) {
    Db_Outcome outcome = store.runs_of(substance, runs);
    if (outcome) outcome = store.kept_targets(substance, targets);
    if (!outcome) {
      give_up_history(program, outcome);
      return std::nullopt;
    }
  }
  Judged_Runs judged;
  const std::vector<QC_Run> stored = runs;
  if (extra) {
    const auto same = std::find_if(runs.begin(), runs.end(), [&](const QC_Run& run) { return run.same_assay(*extra); });
    judged.assay_saved = program.qc_history.report_as_kept || (same != runs.end() && same_values(*same, *extra));
    if (same != runs.end() && same_values(*same, *extra)) {
      judged.place = static_cast<std::size_t>(same - runs.begin());
    } else {
      if (same != runs.end() && !judged.assay_saved) judged.stored_twin = *same;
      QC_Run assay = *extra;
      assay.id = 0;  // not stored as it stands
      judged.place = merge_run(runs, std::move(assay));
    }
  }
  judged.series = make_series(std::move(runs), targets, &stored);
  return judged;
}

std::optional<Assay_Judgement> judge_assay(Program& program) {
  auto& history = program.qc_history;
  if (history.path.empty() || !history.failure.empty()) return std::nullopt;
  const QC_Run run = current_run(program.state, "");
  Assay_Judgement judgement;
  judgement.problem = identity_problem(run);
  if (!judgement.problem.empty()) return judgement;
  auto runs = judged_runs(program, run.substance, run);
  if (!runs) return std::nullopt;
  judgement.runs = std::move(*runs);
  return judgement;
}

std::string serum_concentration_text(double value) { return text::Format(value, "###0.000"); }

std::string z_text(double z) { return (z >= 0 ? "+" : "") + text::Format(z, "0.00"); }

std::vector<std::string> judgement_lines(const Assay_Judgement& judgement) {
  if (!judgement.problem.empty()) return {"精度管理: 判定できません (" + judgement.problem + ")"};
  const Series& series = judgement.runs.series;
  const std::size_t place = *judgement.runs.place;
  const QC_Run& run = series.runs[place];
  const Run_Check& check = series.checks[place];
  std::vector<std::string> lines;
  lines.push_back("精度管理 " + run.substance + "  アッセイＮｏ " + run.assay_no + "  実験日 " + run.assay_date);
  std::string verdict = "判定: " + run_verdict_text(series, place);
  if (const std::string hits = hits_text(check); !hits.empty()) verdict += "  " + hits;
  lines.push_back(verdict);
  lines.push_back("検量線: " + curve_text(run.curve));
  // The printout holds the lines under the control-serum table: a long warning is broken to fit.
  if (const std::string warning = curve_warning(series, place); !warning.empty())
    for (std::string& part : fit_to_columns(warning, Judgement_Columns)) lines.push_back(std::move(part));
  const std::string unit = run.unit.empty() ? "" : " " + run.unit;
  for (const Serum_Value& value : run.sera) {
    std::string line = "Sera " + text::bare_text(value.serum) + ": ";
    const auto target = series.targets.find(value.serum);
    if (!value.mean) {
      line += "濃度なし";
    } else {
      line += serum_concentration_text(*value.mean) + unit;
      if (const auto& z = series.z[place][value.serum]) line += "  z = " + z_text(*z);
    }
    if (target == series.targets.end()) {
      line += "  目標値なし";
    } else {
      line += "  (目標 " + serum_concentration_text(target->second.mean) + " ± " +
              serum_concentration_text(target->second.sd) + ", " + target_source_text(target->second) + ")";
    }
    lines.push_back(line);
  }
  return lines;
}

}  // namespace quorin::qc

namespace quorin {

void QC_Record_Run(Program& program, const std::string& result_file) {
  auto& history = program.qc_history;
  history.last_record = Program::QC_History::Record::None;
  if (history.path.empty()) return;
  qc::QC_Run run = qc::current_run(program.state, result_file);
  run.saved_at = qc::utc_now();
  history.last_record = qc::record_run(program, run);
  if (history.last_record != Program::QC_History::Record::Kept) return;
  history.failure.clear();  // a history that failed earlier works again
  // An open chart shows the run as it is now kept.
  if (auto* chart = program.screen_as<Reg_QC>(Screen::QC_Chart)) chart->refresh(chart->with_assay());
}

void QC_Verdict_Disp(Program& program) {
  const auto judgement = qc::judge_assay(program);
  if (!judgement) return;
  std::string text;
  for (const std::string& line : qc::judgement_lines(*judgement)) text += (text.empty() ? "" : "\n") + line;
  if (text == program.qc_history.last_verdict) return;
  program.qc_history.last_verdict = text;
  program.platform.message(text);
}

std::vector<std::string> QC_Verdict_Lines(Program& program) {
  const auto judgement = qc::judge_assay(program);
  if (!judgement) return {};
  return qc::judgement_lines(*judgement);
}

}  // namespace quorin
