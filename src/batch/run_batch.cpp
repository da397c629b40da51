#include "batch/run_batch.h"

#include <algorithm>
#include <array>
#include <exception>
#include <filesystem>

#include "batch/work_folder.h"
#include "curve/fit_choice.h"
#include "graph/reg_graph.h"
#include "qc/qc_report.h"
#include "results/result_table.h"
#include "state/navigation.h"
#include "state/program.h"
#include "state/work_screen.h"
#include "text/format.h"

namespace quorin::batch {

namespace {

constexpr const char* Saved_Message = "データ保存が終了しました";

// The three printable result tables in the order they are asked for, with their buttons.
constexpr struct {
  Result_Kind kind;
  int button;
} Result_Tables[] = {{Result_Kind::Standard_Conc, target::Standard_Table},
                     {Result_Kind::Sera, target::Sera_Table},
                     {Result_Kind::Sample, target::Sample_Table}};

// True when both name one file, whether or not it exists yet.
bool same_file(const std::string& a, const std::string& b) {
  std::error_code error_a, error_b;
  const auto path_a = std::filesystem::weakly_canonical(a, error_a);
  const auto path_b = std::filesystem::weakly_canonical(b, error_b);
  return !error_a && !error_b && path_a == path_b;
}

// Why the output would overwrite an input, or "".
std::string overwrite_problem(const Batch_Options& options) {
  const struct {
    const std::string& path;
    const char* what;
  } outputs[] = {
      {options.result, "結果ファイル"}, {options.pdf, "PDF ファイル"}, {options.qc, "精度管理の履歴ファイル"}};
  const std::string* inputs[] = {&options.conditions, &options.counts, &options.result};
  for (const auto& [path, what] : outputs)
    for (const std::string* input : inputs)
      if (!path.empty() && &path != input && same_file(path, *input))
        return std::string(what) + "が入力ファイルと同じです: " + path;
  return "";
}

// Begins a job on the printer and ends it when left, however the printing ends.
class Print_Job {
 public:
  explicit Print_Job(ui::Printer& printer) : printer_(printer) { printer_.begin_job(); }
  ~Print_Job() { end(); }
  Print_Job(const Print_Job&) = delete;
  Print_Job& operator=(const Print_Job&) = delete;
  void end() {
    if (open_) printer_.end_job();
    open_ = false;
  }

 private:
  ui::Printer& printer_;
  bool open_ = true;
};

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
    static constexpr Step steps[] = {&Batch_Road::load_conditions,    &Batch_Road::load_counts,
                                     &Batch_Road::show_standard_plot, &Batch_Road::fit_curve,
                                     &Batch_Road::compute_results,    &Batch_Road::report_precision,
                                     &Batch_Road::print_report,       &Batch_Road::save_results};
    for (Step step : steps)
      if (std::string failure = (this->*step)(); !failure.empty()) return failure;
    return "";
  }

  // The file the report's printer wrote to, once printing has begun ("" for a printer without files).
  const std::string& report_file() const { return report_file_; }

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
    if (!click(Screen::Data, target::Standard_Curve) || state_.Plot_Stage != 1)
      return "スタンダード　プロットを描けませんでした" + incompleteness();
    return "";
  }

  std::string fit_curve() {
    if (!click(Screen::Graph, target::Switch_View) || state_.Plot_Stage != 2) return "検量線を描けませんでした";
    auto& graph = *program_.screen_as<Reg_Graph>(Screen::Graph);
    for (int box : {0, 1}) type_and_enter(graph, graph.Range_Box[box], text::bare_text(range()[box]));
    if (!range_in_force())
      return "回帰範囲 " + range_text() + " は使えません (スタンダードは " + text::bare_text(state_.STD_Number) +
             " 点です)";
    if (const int choice = 2 * options_.weight + (options_.order == 1 ? 0 : 1); graph.Choice.has(choice))
      click(graph, graph.Choice[choice]);
    if (!fit_in_force())
      return "検量線 " + fit_label(options_.weight, options_.order) + " は回帰範囲 " + range_text() +
             " では計算できません";
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

  // Every printout in one job: the conditions, the data sheet, the standard plot, the fitted
  // curves (the range and the fit as chosen) and the three result tables.
  std::string print_report() {
    if (options_.pdf.empty()) return "";
    ui::Printer& printer = platform_.printer();
    Print_Job job(printer);
    report_file_ = printer.destination();
    const auto failed = [this](const char* printout) {
      return "PDF ファイルを作成できませんでした: " + options_.pdf + " (" + printout + ")";
    };
    if (!print(Screen::Conditions)) return failed("条件設定");
    if (!print(Screen::Data)) return failed("データ");
    if (!click(Screen::Graph, target::Switch_View) || state_.Plot_Stage != 1 || !print(Screen::Graph))
      return failed("スタンダード　プロット");
    if (!click(Screen::Graph, target::Switch_View) || !range_in_force() || !fit_in_force() || !print(Screen::Graph))
      return failed("検量線");
    for (const auto& table : Result_Tables)
      if (!show_table(table.button, table.kind) || !print(Screen::Result)) return failed("測定結果");
    qc::Profile_Report_Page(program_, printer);
    qc::QC_Report_Pages(program_, printer);
    if (!printer.failure().empty()) return failed("精度プロファイル・精度管理図");
    job.end();
    if (!printer.failure().empty() || (!report_file_.empty() && !std::filesystem::exists(report_file_)))
      return failed("書き込み");
    return "";
  }

  std::string save_results() {
    const std::size_t before = platform_.messages().size();
    const bool clicked = save_file_with(options_.result);
    const auto& messages = platform_.messages();
    if (!clicked || std::find(messages.begin() + before, messages.end(), Saved_Message) == messages.end())
      return "結果ファイルを保存できませんでした: " + options_.result;
    return "";
  }

  // The regression range asked for: --from and --to, else all standards.
  std::array<int, 2> range() const { return {options_.from.value_or(1), options_.to.value_or(state_.STD_Number)}; }

  std::string range_text() const {
    return "STD " + text::bare_text(range()[0]) + " ～ STD " + text::bare_text(range()[1]);
  }

  bool range_in_force() const {
    return state_.Plot_Stage == 2 && state_.Fit_From == range()[0] && state_.Fit_To == range()[1];
  }

  bool fit_in_force() const {
    return state_.Weight_Type == options_.weight && state_.Reg_Order == options_.order &&
           fit_available(state_, options_.weight, options_.order);
  }

  bool show_table(int button, Result_Kind kind) {
    return click(Screen::Result, button) && state_.Result_Table == static_cast<Integer>(kind);
  }

  bool print(Screen which) { return click(which, target::Print) && platform_.printer().failure().empty(); }

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

  bool save_file_with(const std::string& path) {
    platform_.answer_next_dialog(path);
    const bool clicked = click(Screen::Result, target::Save);
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
  std::string report_file_;
};

}  // namespace

int run_batch(const Batch_Options& given, Batch_Platform& platform) {
  const Batch_Options options = with_absolute_paths(given);
  if (const std::string problem = overwrite_problem(options); !problem.empty()) {
    platform.message(problem);
    return Exit_Usage;
  }
  const Work_Folder folder;
  if (!folder.failure().empty()) {
    platform.message(folder.failure());
    return Exit_Failed;
  }
  std::string failure, report_file;
  {
    Batch_Road road(options, platform);  // the screens let go of the scratch file before the folder goes
    try {
      failure = road.run();
    } catch (const std::exception& error) {  // out of memory, say: stop as at any failure
      failure = std::string("処理を中止しました: ") + error.what();
    }
    report_file = road.report_file();
  }
  if (failure.empty()) return Exit_Done;
  std::error_code ignored;
  if (!report_file.empty()) std::filesystem::remove(report_file, ignored);
  platform.message(failure);
  return Exit_Failed;
}

}  // namespace quorin::batch
