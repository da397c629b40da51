#include "batch/run_batch.h"

#include <array>
#include <csignal>
#include <exception>
#include <optional>

#include "batch/lis_tools.h"
#include "batch/output_paths.h"
#include "batch/result_outputs.h"
#include "data/count_load.h"
#include "engine/completeness.h"
#include "engine/condition_commit.h"
#include "engine/condition_file.h"
#include "engine/curve_shape.h"
#include "engine/fit_choice.h"
#include "engine/model_comparison.h"
#include "engine/plot_axes.h"
#include "engine/result_curve.h"
#include "engine/treatment_standard.h"
#include "qc/qc_procedures.h"
#include "qc/qc_report.h"
#include "report/print_report.h"
#include "results/result_table.h"
#include "results/results_procedures.h"
#include "state/current_results.h"
#include "state/curve_fitting.h"
#include "state/program.h"
#include "text/format.h"
#include "ui/print_job.h"

namespace quorin::batch {

namespace {

// The three result tables in the order the results screen computes them.
constexpr Result_Kind Result_Tables[] = {Result_Kind::Standard_Conc, Result_Kind::Sera, Result_Kind::Sample};

// One run of the reduction, step by step, on the engine: the same steps, in the same order and
// with the same messages, as a user takes through the screens. Each step returns "" when it went
// through, else what could not be done.
class Batch_Road {
 public:
  Batch_Road(const Batch_Options& options, const lis::LIS_Settings& lis_settings, Batch_Platform& platform)
      : options_(options),
        lis_settings_(lis_settings),
        platform_(platform),
        program_(platform),
        state_(program_.state) {
    program_.qc_history.path = options.qc;
    program_.qc_history.ask_before_replacing = false;  // a stored run is replaced and the user told
    name_weightings(state_);
    apply_result_options(options, program_);
  }

  std::string run() {
    using Step = std::string (Batch_Road::*)();
    static constexpr Step steps[] = {
        &Batch_Road::load_conditions,  &Batch_Road::load_counts,  &Batch_Road::plot_standards,
        &Batch_Road::fit_curve,        &Batch_Road::choose_model, &Batch_Road::compute_results,
        &Batch_Road::report_precision, &Batch_Road::print_report, &Batch_Road::save_results};
    for (Step step : steps)
      if (std::string failure = (this->*step)(); !failure.empty()) return failure;
    std::string failure = put_report_in_place();
    // The LIS gets the results saved, whatever became of the report.
    if (!options_.lis.empty()) lis_left_waiting_ = send_lis_option(lis_settings_, lis_rows_, platform_);
    return failure;
  }

  // True when messages for the LIS of --lis were left undelivered.
  bool lis_left_waiting() const { return lis_left_waiting_; }

  // True once the result file is saved, even when the report could not take its place after it.
  bool results_saved() const { return results_saved_; }
  // True when the history was to keep the run and it is kept nowhere.
  bool run_kept_nowhere() const { return program_.qc_history.last_record == Program::QC_History::Record::Nowhere; }

 private:
  std::string load_conditions() {
    const Condition_Read read = read_condition_file(options_.conditions);
    if (!read.ok) {
      platform_.message(read.message);
      return "条件ファイルを読み込めませんでした: " + options_.conditions;
    }
    for (const std::string& refusal : load_condition_lines(state_, read.lines, options_.conditions))
      platform_.message(refusal);
    if (!read.warning.empty()) platform_.message(read.warning);
    return "";
  }

  std::string load_counts() {
    if (assay_completeness(state_) == Completeness::Nothing_To_Enter)
      return "データ入力画面を開けませんでした" + incompleteness();
    const Loaded_Counts loaded = options_.count_column.empty() ? read_counts(options_.counts, state_)
                                                               : read_counter_file(options_.counts, state_);
    if (!loaded.message.empty()) {
      platform_.message(loaded.message);
      return "データファイルを読み込めませんでした: " + options_.counts;
    }
    store_loaded_counts(program_, loaded, options_.counts);
    return load_ids_option(options_, program_);
  }

  std::string plot_standards() {
    if (assay_completeness(state_) != Completeness::Complete)
      return "スタンダード　プロットを描けませんでした" + incompleteness();
    choose_first_fit(state_);
    Treatment_Standard(state_);
    if (const std::string problem = plot_problem(state_); !problem.empty()) {
      platform_.message(problem);
      return "スタンダード　プロットを描けませんでした";
    }
    state_.Plot_Stage = Curve_Stage::Standard_Plot;
    return "";
  }

  // The curves over every standard first, then over the range asked for, one end at a time, as
  // the range boxes take it; then the fit asked for.
  std::string fit_curve() {
    const int n = state_.STD_Number;
    std::array<int, 2> boxes = {1, n};
    fit(boxes);
    for (int box : {0, 1}) {
      const int asked = range()[static_cast<std::size_t>(box)];
      if (asked < 1 || asked > n) {
        platform_.message("値が範囲外です");
        auto in_force = [n](int value, int otherwise) { return value >= 1 && value <= n ? value : otherwise; };
        boxes = {in_force(state_.Fit_From, 1), in_force(state_.Fit_To, n)};
        continue;
      }
      boxes[static_cast<std::size_t>(box)] = asked;
      fit(boxes);
    }
    if (!range_in_force())
      return "回帰範囲 " + range_text() + " は使えません (スタンダードは " + text::bare_text(state_.STD_Number) +
             " 点です)";
    if (fit_available(state_, logit_weight(), options_.order)) {
      state_.Weight_Type = static_cast<Integer>(logit_weight());
      state_.Reg_Order = static_cast<Integer>(options_.order);
      fit({state_.Fit_From, state_.Fit_To});
    }
    if (!fit_in_force())
      return "検量線 " + fit_label(logit_weight(), options_.order) + " は回帰範囲 " + range_text() +
             " では計算できません";
    return "";
  }

  // The eight fits over standards from..to, and the warning of their problems unless it was just
  // given.
  void fit(const std::array<int, 2>& range) {
    state_.Fit_From = static_cast<Integer>(range[0]);
    state_.Fit_To = static_cast<Integer>(range[1]);
    const Curve_Fitting fitting = Fit_Curves(state_);
    if (!fitting.refusal.empty()) return platform_.message(fitting.refusal);
    if (const std::string text = fit_report_.next(fitting.problems); !text.empty()) platform_.warning(text);
  }

  // A 4PL or 5PL for the results: its weighting, then the model.
  std::string choose_model() {
    if (options_.model == Logit_Log) return "";
    state_.Model_Weight = static_cast<Integer>(options_.weight);
    const Model_Comparison comparison = compare_models(state_, state_.Model_Weight);
    const Model_Column& column = comparison.columns[options_.model];
    if (column.available) {
      state_.Curve_Model = static_cast<Integer>(options_.model);
      if (const std::string warning = chosen_fit_shape_warning(state_); !warning.empty()) platform_.message(warning);
    } else {
      platform_.message(column.heading + " は使えません\n" + column.problem);
    }
    if (!model_in_force())
      return "検量線モデル " + model_name(options_.model) + " " + model_weight_name(options_.weight) + " は回帰範囲 " +
             range_text() + " では使えません";
    return "";
  }

  // The standard data table first (its concentrations as the results screen opens), then the
  // three tables that need the curve; the control sera with their judgement against the history.
  std::string compute_results() {
    Treatment_Standard(state_);
    Run_Fitness_Examination(program_);
    for (Result_Kind kind : Result_Tables) {
      if (!Bring_Table_Up_To_Date(program_, kind)) return table_title(state_, kind) + "を計算できませんでした";
      if (kind == Result_Kind::Sera) QC_Verdict_Disp(program_);
    }
    return "";
  }

  // The working range of the samples' precision profile, as one line.
  std::string report_precision() {
    platform_.message(qc::profile_line(program_));
    return "";
  }

  // The whole report (the range and the fit as chosen), as one job whose file waits beside its
  // place until the result file is saved.
  std::string print_report() {
    if (options_.pdf.empty()) return "";
    ui::Job job;
    job.keep_file_aside = true;
    job.first_page = options_.first_page;
    job.last_page = options_.last_page;
    // Printed before the save, the charts show the assay's run as the save will keep it; should the
    // save not keep it, the report is printed again (put_report_in_place).
    program_.qc_history.report_as_kept = !options_.qc.empty() && !report_;
    const auto outcome = Print_Report(program_, job);
    printed_as_kept_ = program_.qc_history.report_as_kept;
    program_.qc_history.report_as_kept = false;
    if (outcome && outcome->status == ui::Job_Outcome::Status::Printed && outcome->pages == 0)
      return "--pages の範囲に印刷するページがありません: " + options_.pdf;
    if (!outcome || outcome->status != ui::Job_Outcome::Status::Printed)
      return outcome && !outcome->failure.empty() ? outcome->failure
                                                  : "PDF ファイルを作成できませんでした: " + options_.pdf;
    report_ = *outcome;
    return "";
  }

  // The result file is written beside its place first: the exports and the HL7 file replace
  // theirs only when it can be saved, and it is put in place last.
  std::string save_results() {
    const std::string not_saved = "結果ファイルを保存できませんでした: " + options_.result;
    Result_File_Draft result_file(program_, options_.result);
    if (!result_file.ready()) return not_saved;
    if (std::string failure = write_result_exports(options_, program_); !failure.empty()) return failure;
    if (!options_.hl7.empty() || !options_.lis.empty()) {
      lis_rows_ = lis_rows(state_);
      if (std::string failure = prepare_lis_outputs(options_, lis_settings_, lis_rows_, platform_); !failure.empty())
        return failure;
    }
    return result_file.put_in_place() ? "" : not_saved;
  }

  // Last, once the result file is saved: the report replaces the file of its name.
  std::string put_report_in_place() {
    results_saved_ = true;
    if (!report_) return "";
    if (printed_as_kept_ && program_.qc_history.last_record != Program::QC_History::Record::Kept) {
      platform_.printer().discard_file();
      if (std::string failure = print_report(); !failure.empty()) return failure;
    }
    if (std::string failure = platform_.printer().commit_file(); !failure.empty()) return failure;
    platform_.message(ui::job_outcome_text(*report_));
    return "";
  }

  // The regression range asked for: --from and --to, else all standards.
  std::array<int, 2> range() const { return {options_.from.value_or(1), options_.to.value_or(state_.STD_Number)}; }

  std::string range_text() const {
    return "STD " + text::bare_text(range()[0]) + " ～ STD " + text::bare_text(range()[1]);
  }

  bool range_in_force() const {
    return state_.Plot_Stage == Curve_Stage::Curves && state_.Fit_From == range()[0] && state_.Fit_To == range()[1];
  }

  // The logit-log fit's weighting: --weight, unless it is the weighting of a 4PL or 5PL (the
  // logit-log fit is then the first-order one without weighting, beside which the model is shown).
  int logit_weight() const { return options_.model == Logit_Log ? options_.weight : 0; }

  bool fit_in_force() const {
    return state_.Weight_Type == logit_weight() && state_.Reg_Order == options_.order &&
           fit_available(state_, logit_weight(), options_.order);
  }

  bool model_in_force() const {
    return curve_in_use(state_) == options_.model &&
           (options_.model == Logit_Log || state_.Model_Weight == options_.weight);
  }

  // Why the standard curve cannot be reached yet, as a parenthesis, or "".
  std::string incompleteness() {
    switch (assay_completeness(state_)) {
      case Completeness::Nothing_To_Enter: return " (スタンダードまたはチューブがありません)";
      case Completeness::Conditions_Incomplete: return " (濃度のないスタンダードがあります)";
      case Completeness::Standard_Not_Measured: return " (測定値のないスタンダードがあります)";
      case Completeness::Complete: break;
    }
    return "";
  }

  const Batch_Options& options_;
  const lis::LIS_Settings& lis_settings_;
  Batch_Platform& platform_;
  Program program_;
  Assay_State& state_;
  Fit_Report fit_report_;
  std::optional<ui::Job_Outcome> report_;  // printed, its file not yet in place
  bool printed_as_kept_ = false;           // its charts show the assay's run as kept
  bool results_saved_ = false;             // the result file is saved (and the run kept in the history)
  LIS_Rows lis_rows_;                      // the samples' results for --hl7 and --lis
  bool lis_left_waiting_ = false;
};

// While a run lasts, a write beyond the file size limit fails with its reason, as on a full disk,
// instead of ending the run by a signal half way through a save.
class File_Size_Signal_Ignored {
 public:
  File_Size_Signal_Ignored() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previous_);
  }
  ~File_Size_Signal_Ignored() { ::sigaction(SIGXFSZ, &previous_, nullptr); }
  File_Size_Signal_Ignored(const File_Size_Signal_Ignored&) = delete;
  File_Size_Signal_Ignored& operator=(const File_Size_Signal_Ignored&) = delete;

 private:
  struct sigaction previous_ {};
};

}  // namespace

int run_batch(const Batch_Options& given, Batch_Platform& platform) {
  const Batch_Options options = with_absolute_paths(given);
  if (const std::string problem = output_clash(options); !problem.empty()) {
    platform.message(problem);
    return Exit_Usage;
  }
  lis::LIS_Settings lis_settings;
  if (!options.hl7.empty() || !options.lis.empty())
    if (const std::string problem = batch_lis_settings(options, lis_settings); !problem.empty()) {
      platform.message(problem);
      return Exit_Usage;
    }
  const File_Size_Signal_Ignored file_size_limit_reported;
  std::string failure;
  bool results_saved = false, kept_nowhere = false, lis_waiting = false;
  {
    Batch_Road road(options, lis_settings, platform);
    try {
      failure = road.run();
    } catch (const std::exception& error) {  // out of memory, say: stop as at any failure
      failure = std::string("処理を中止しました: ") + error.what();
    }
    results_saved = road.results_saved();
    kept_nowhere = results_saved && road.run_kept_nowhere();
    lis_waiting = road.lis_left_waiting();
  }
  if (!failure.empty()) {
    platform.printer().discard_file();  // a report printed before the failure never takes its place
    platform.message(failure);
    if (!results_saved) return Exit_Failed;
    platform.message("結果ファイルは保存されています: " + options.result + " (PDF ファイルは書かれていません)");
  }
  if (kept_nowhere) {
    platform.message("結果ファイルは保存されています: " + options.result +
                     " (この測定の精度管理の記録はどこにも保存されていません)");
    return Exit_Run_Not_Kept;
  }
  if (!failure.empty()) return Exit_Saved_Without_Report;
  return lis_waiting ? Exit_LIS_Waiting : Exit_Done;
}

}  // namespace quorin::batch
