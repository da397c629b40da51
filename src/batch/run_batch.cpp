#include "batch/run_batch.h"

#include <array>
#include <csignal>
#include <exception>
#include <optional>

#include "batch/output_paths.h"
#include "engine/completeness.h"
#include "engine/fit_choice.h"
#include "engine/result_curve.h"
#include "graph/reg_graph.h"
#include "models/reg_model.h"
#include "navigation/navigation.h"
#include "qc/qc_report.h"
#include "report/print_report.h"
#include "results/result_table.h"
#include "results/results_procedures.h"
#include "state/program.h"
#include "state/work_screen.h"
#include "text/format.h"
#include "ui/print_job.h"

namespace quorin::batch {

namespace {


// The three printable result tables in the order they are asked for, with their buttons.
constexpr struct {
  Result_Kind kind;
  int button;
} Result_Tables[] = {{Result_Kind::Standard_Conc, target::Standard_Table},
                     {Result_Kind::Sera, target::Sera_Table},
                     {Result_Kind::Sample, target::Sample_Table}};

// One run of the screens, step by step. Each step returns "" when it went through, else what
// could not be done.
class Batch_Road {
 public:
  Batch_Road(const Batch_Options& options, Batch_Platform& platform)
      : options_(options), platform_(platform), program_(platform), state_(program_.state) {
    program_.qc_history.path = options.qc;
  }

  std::string run() {
    using Step = std::string (Batch_Road::*)();
    static constexpr Step steps[] = {
        &Batch_Road::load_conditions,  &Batch_Road::load_counts,  &Batch_Road::show_standard_plot,
        &Batch_Road::fit_curve,        &Batch_Road::choose_model, &Batch_Road::compute_results,
        &Batch_Road::report_precision, &Batch_Road::print_report, &Batch_Road::save_results};
    for (Step step : steps)
      if (std::string failure = (this->*step)(); !failure.empty()) return failure;
    return put_report_in_place();
  }

  // True once the result file is saved, even when the report could not take its place after it.
  bool results_saved() const { return results_saved_; }

 private:
  std::string load_conditions() {
    program_.show(Screen::Conditions);  // as the start-up screen's start button does
    if (!open_file_with(Screen::Conditions, options_.conditions) || state_.Condition_File != options_.conditions)
      return "条件ファイルを読み込めませんでした: " + options_.conditions;
    return "";
  }

  std::string load_counts() {
    if (!click(Screen::Conditions, target::Data_Sheet) || program_.screen(Screen::Data) == nullptr)
      return "データ入力画面を開けませんでした" + incompleteness();
    if (!open_file_with(Screen::Data, options_.counts) || state_.Data_File != options_.counts)
      return "データファイルを読み込めませんでした: " + options_.counts;
    return "";
  }

  std::string show_standard_plot() {
    if (!click(Screen::Data, target::Standard_Curve) || state_.Plot_Stage != Curve_Stage::Standard_Plot)
      return "スタンダード　プロットを描けませんでした" + incompleteness();
    return "";
  }

  std::string fit_curve() {
    if (!click(Screen::Graph, target::Switch_View) || state_.Plot_Stage != Curve_Stage::Curves)
      return "検量線を描けませんでした";
    auto& graph = *program_.screen_as<Reg_Graph>(Screen::Graph);
    for (int box : {0, 1}) type_and_enter(graph, graph.Range_Box[box], text::bare_text(range()[box]));
    if (!range_in_force())
      return "回帰範囲 " + range_text() + " は使えません (スタンダードは " + text::bare_text(state_.STD_Number) +
             " 点です)";
    if (const int choice = 2 * logit_weight() + (options_.order == 1 ? 0 : 1); graph.Choice.has(choice))
      click(graph, graph.Choice[choice]);
    if (!fit_in_force())
      return "検量線 " + fit_label(logit_weight(), options_.order) + " は回帰範囲 " + range_text() +
             " では計算できません";
    return "";
  }

  // A 4PL or 5PL for the results: its weighting and the model chosen on the model screen.
  std::string choose_model() {
    if (options_.model == Logit_Log) return "";
    if (!click(Screen::Graph, target::Models) || program_.screen(Screen::Model) == nullptr)
      return "検量線モデルの比較の画面を開けませんでした";
    auto& models = *program_.screen_as<Reg_Model>(Screen::Model);
    if (models.Weight_Choice.has(options_.weight)) click(models, models.Weight_Choice[options_.weight]);
    click(models, models.Model_Choice[options_.model]);
    if (!model_in_force())
      return "検量線モデル " + model_name(options_.model) + " " + model_weight_name(options_.weight) + " は回帰範囲 " +
             range_text() + " では使えません";
    return "";
  }

  std::string compute_results() {
    if (!click(Screen::Graph, target::Results) || program_.screen(Screen::Result) == nullptr)
      return "測定結果画面を開けませんでした";
    for (const auto& table : Result_Tables)
      if (!show_table(table.button, table.kind)) return table_title(state_, table.kind) + "を計算できませんでした";
    return "";
  }

  // The working range of the samples' precision profile, as one line.
  std::string report_precision() {
    platform_.message(qc::profile_line(program_));
    return "";
  }

  // The whole report of the results screen (the range and the fit as chosen), as one job whose
  // file waits beside its place until the result file is saved.
  std::string print_report() {
    if (options_.pdf.empty()) return "";
    ui::Job job;
    job.keep_file_aside = true;
    job.first_page = options_.first_page;
    job.last_page = options_.last_page;
    const auto outcome = Print_Report(program_, job);
    if (outcome && outcome->status == ui::Job_Outcome::Status::Printed && outcome->pages == 0)
      return "--pages の範囲に印刷するページがありません: " + options_.pdf;
    if (!outcome || outcome->status != ui::Job_Outcome::Status::Printed)
      return outcome && !outcome->failure.empty() ? outcome->failure
                                                  : "PDF ファイルを作成できませんでした: " + options_.pdf;
    report_ = *outcome;
    return "";
  }

  // Last, once the result file is saved: the report replaces the file of its name.
  std::string put_report_in_place() {
    results_saved_ = true;
    if (!report_) return "";
    if (std::string failure = platform_.printer().commit_file(); !failure.empty()) return failure;
    platform_.message(ui::job_outcome_text(*report_));
    return "";
  }

  std::string save_results() {
    platform_.answer_next_dialog(options_.result);
    bool saved = false;
    {
      ui::Desktop::Event_Scope event(program_.desktop);
      saved = Result_Output(program_);
    }
    platform_.forget_answers();
    return saved ? "" : "結果ファイルを保存できませんでした: " + options_.result;
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

  bool show_table(int button, Result_Kind kind) {
    return click(Screen::Result, button) && state_.Result_Table == static_cast<Integer>(kind);
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

  bool open_file_with(Screen which, const std::string& path) {
    platform_.answer_next_dialog(path);
    const bool clicked = click(which, target::Open_File);
    platform_.forget_answers();
    return clicked;
  }

  // Brings the screen to the front and clicks one of its buttons, as a user does; false when
  // the screen is not open or the button cannot be reached.
  bool click(Screen which, int button) {
    auto* screen = program_.screen_as<Work_Screen>(which);
    return screen != nullptr && screen->Command.has(button) && click(*screen, screen->Command[button]);
  }

  bool click(ui::Form& form, ui::Control& control) {
    ui::Desktop::Event_Scope event(program_.desktop);
    program_.desktop.show(form);
    if (!control.reachable()) return false;
    form.set_focus(control);
    if (control.on_click) control.on_click();
    return true;
  }

  // Types over the box's text and presses Enter.
  void type_and_enter(ui::Form& form, ui::Text_Box& box, const std::string& typed) {
    ui::Desktop::Event_Scope event(program_.desktop);
    if (!box.reachable()) return;
    form.set_focus(box);
    box.set_text(typed);
    if (box.on_key_down) box.on_key_down(ui::Key_Return, 0);
  }

  const Batch_Options& options_;
  Batch_Platform& platform_;
  Program program_;
  Assay_State& state_;
  std::optional<ui::Job_Outcome> report_;  // printed, its file not yet in place
  bool results_saved_ = false;             // the result file is saved (and the run kept in the history)
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
  const File_Size_Signal_Ignored file_size_limit_reported;
  std::string failure;
  bool results_saved = false;
  {
    Batch_Road road(options, platform);
    try {
      failure = road.run();
    } catch (const std::exception& error) {  // out of memory, say: stop as at any failure
      failure = std::string("処理を中止しました: ") + error.what();
    }
    results_saved = road.results_saved();
  }
  if (failure.empty()) return Exit_Done;
  platform.printer().discard_file();  // a report printed before the failure never takes its place
  platform.message(failure);
  if (!results_saved) return Exit_Failed;
  platform.message("結果ファイルは保存されています: " + options.result + " (PDF ファイルは書かれていません)");
  return Exit_Saved_Without_Report;
}

}  // namespace quorin::batch
