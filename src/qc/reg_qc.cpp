#include "qc/reg_qc.h"

#include <algorithm>
#include <cmath>

#include "qc/audit.h"
#include "qc/connection_string.h"
#include "help/help_procedures.h"
#include "qc/qc_delete.h"
#include "qc/qc_print.h"
#include "state/basis.h"
#include "state/current_results.h"
#include "state/program.h"
#include "text/format.h"
#include "text/number_text.h"
#include "text/text_clean.h"

namespace quorin {

namespace {

// Layout, in twips.
constexpr int Chart_Left = 1680, Chart_Top = 1080, Chart_Width = 10440, Chart_Height = 4680;
// Under the chart: the dates in two rows, the scroll bar, the window's line, the rules, the deletion
// and the bottom row.
constexpr int Date_Top = Chart_Top + Chart_Height + 30, Date_Step = 210;
constexpr int Scroll_Top = Date_Top + 2 * Date_Step + 30, Window_Top = Scroll_Top + 300, Rules_Top = Window_Top + 360;
constexpr int Delete_Row = Rules_Top + 1120, Bottom_Row = Delete_Row + 440;
constexpr const char* Caption = "精度管理図 (Levey-Jennings)";
constexpr double Slot = static_cast<double>(Chart_Width) / qc::Chart_Runs;

constexpr ui::Colour Orange{255, 140, 0};
constexpr ui::Colour Grey{128, 128, 128};
constexpr ui::Colour Mean_Green{0, 160, 0};

// The y of z within the chart, in twips from the chart's top.
double chart_y(double z) { return (qc::Chart_Z - z) / (2 * qc::Chart_Z) * Chart_Height; }

}  // namespace

Reg_QC::Reg_QC(Program& program)
    : ui::Form(Caption, 12255, Bottom_Row + 375 + 120),
      Substance_Label(add<ui::Label>("Substance_Label", 1080, 120, 2880, 330)),
      Serum_Label(add<ui::Label>("Serum_Label", 6120, 120, 1200, 330)),
      Target_Label(add<ui::Label>("Target_Label", 120, 630, 6960, 300)),
      Target_Mean(add<ui::Text_Box>("Target_Mean", 7680, 600, 1080, 330)),
      Target_SD(add<ui::Text_Box>("Target_SD", 9180, 600, 960, 330)),
      Set_Target(add<ui::Command_Button>("Set_Target", 8520, 100, 1680, 375)),
      Clear_Target(add<ui::Command_Button>("Clear_Target", 10320, 100, 1800, 375)),
      Chart(add<ui::Picture_Area>("Chart", Chart_Left, Chart_Top, Chart_Width, Chart_Height)),
      HScroll1(add<ui::Scroll_Bar>("HScroll1", Chart_Left, Scroll_Top, Chart_Width, 255, /*vertical=*/false)),
      Window_Label(add<ui::Label>("Window_Label", 120, Window_Top + 30, 9600, 300)),
      Update(add<ui::Command_Button>("Update", 9840, Window_Top, 2280, 330)),
      Rules(add<ui::Text_Box>("Rules", 120, Rules_Top, 12000, 1020)),
      Picked_Label(add<ui::Label>("Picked_Label", 120, Delete_Row + 30, 5400, 300)),
      Delete_Reason(add<ui::Text_Box>("Delete_Reason", 6600, Delete_Row, 3240, 330)),
      Delete_Run(add<ui::Command_Button>("Delete_Run", 9960, Delete_Row - 20, 2160, 375)),
      History_Label(add<ui::Label>("History_Label", 120, Bottom_Row + 15, 3000, 345)),
      History_URI(add<ui::Text_Box>("History_URI", 4380, Bottom_Row + 15, 2460, 330)),
      // Wider than the buttons beside it, for its caption of six full-width characters.
      Choose_File(add<ui::Command_Button>("Choose_File", 6960, Bottom_Row, 1215, 375)),
      Print(add<ui::Command_Button>("Print", 8280, Bottom_Row, 1095, 375)),
      Help(add<ui::Command_Button>("Help", 9480, Bottom_Row, 1095, 375)),
      Close(add<ui::Command_Button>("Close", 10680, Bottom_Row, 1095, 375)),
      program_(program) {
  add<ui::Label>("Substance_Caption", 120, 150, 960, 300).caption = "測定物質";
  add<ui::Label>("Serum_Caption", 5160, 150, 960, 300).caption = "管理血清";
  add<ui::Label>("Mean_Caption", 7200, 630, 480, 300).caption = "平均";
  add<ui::Label>("SD_Caption", 8820, 630, 360, 300).caption = "SD";
  add<ui::Label>("Reason_Caption", 5640, Delete_Row + 30, 960, 300).caption = "削除の理由";
  add<ui::Label>("URI_Caption", 3180, Bottom_Row + 30, 1200, 300).caption = "サーバー URI";
  Delete_Run.caption = "この測定を削除";
  Delete_Run.on_click = [this] { delete_picked_run(); };
  Chart.on_mouse_down = [this](int, int, double x, double) { pick_run(x); };
  Substance_Label.border = Serum_Label.border = true;
  const int step_left[4] = {4020, 4470, 7380, 7830};
  for (int i = 0; i < 4; ++i) {
    ui::Command_Button& button = add(Step, i, step_left[i], 100, 420, 375);
    button.caption = i % 2 == 0 ? "◀" : "▶";
    button.on_click = [this, i] { i < 2 ? step_substance(i == 0 ? -1 : 1) : step_serum(i == 2 ? -1 : 1); };
  }
  Set_Target.caption = "目標値を入力";
  Clear_Target.caption = "計算値に戻す";
  Target_Mean.alignment = Target_SD.alignment = ui::Align::Right;
  Set_Target.on_click = [this] { enter_target(); };
  Clear_Target.on_click = [this] { remove_target(); };

  Chart.back_colour = ui::White;
  for (int sd = -3; sd <= 3; ++sd) {
    ui::Label& tick = add(Tick, sd + 3, 0, Chart_Top + static_cast<int>(chart_y(sd)) - 120, Chart_Left - 60, 240);
    tick.alignment = ui::Align::Right;
    tick.font_size = 8;
  }
  // Each date has nearly the width of two slots: the dates of neighbouring runs stand in different rows.
  for (int j = 0; j < qc::Chart_Runs; ++j) {
    const int centre = Chart_Left + static_cast<int>(Slot * (j + 0.5)), width = static_cast<int>(2 * Slot) - 100;
    ui::Label& date = add(Run_Date, j, centre - width / 2, Date_Top + Date_Step * (j % 2), width, Date_Step);
    date.alignment = ui::Align::Center;
    date.font_size = 8;
  }
  HScroll1.large_change = 10;
  HScroll1.on_change = [this] { draw(); };
  Rules.multi_line = Rules.vertical_scroll = Rules.read_only = true;

  Update.caption = "最新の結果で描く";
  Update.visible = false;
  Update.on_click = [this] { bring_up_to_date(); };
  Choose_File.caption = "履歴ファイル";
  Print.caption = "印　刷";
  Help.caption = "Help";
  Close.caption = "閉じる";
  Choose_File.on_click = [this] { choose_file(); };
  // The server box applies what was typed on Enter, or on leaving it, as the program's boxes do.
  History_URI.on_change = [this] { uri_typed_ = true; };
  History_URI.on_key_down = [this](int key, int) {
    if (key == ui::Key_Return) apply_server();
  };
  History_URI.on_lost_focus = [this] {
    if (uri_typed_) apply_server();
  };
  Print.on_click = [this] { print(); };
  Help.on_click = [this] { Show_Help(program_, Screen::QC_Chart); };
  Close.on_click = [this] { program_.close(Screen::QC_Chart); };
  close_control = &Close;
}

void Reg_QC::refresh(bool with_assay) {
  with_assay_ = with_assay;
  drawn_revision_ = with_assay ? basis_digest(program_.state, Basis::Results) : 0;
  assay_changed_ = false;
  caption = Caption;
  Update.visible = false;
  const std::string shown = substance_ < substances_.size() ? substances_[substance_] : "";
  substances_.clear();
  qc::History_Store store;
  if (qc::open_history(program_, store, qc::Connection::Mode::Read) == qc::Access::Opened) {
    if (const qc::Db_Outcome outcome = store.substances(substances_); !outcome) qc::give_up_history(program_, outcome);
  }
  const std::string assay = qc::current_run(program_.state, "").substance;
  if (with_assay_ && !assay.empty() && std::find(substances_.begin(), substances_.end(), assay) == substances_.end())
    substances_.insert(std::upper_bound(substances_.begin(), substances_.end(), assay), assay);
  // The substance shown stays; the first time it is the assay's own.
  const std::string wanted = shown.empty() ? assay : shown;
  const auto found = std::find(substances_.begin(), substances_.end(), wanted);
  substance_ = found == substances_.end() ? 0 : static_cast<std::size_t>(found - substances_.begin());
  load_runs();
}

void Reg_QC::load_runs() {
  const int shown_serum = serum_ < sera_.size() ? sera_[serum_] : 1;
  runs_.reset();
  picked_.reset();
  picked_trail_.clear();
  sera_.clear();
  if (substance_ < substances_.size()) {
    const std::string& substance = substances_[substance_];
    std::optional<qc::QC_Run> assay;
    if (qc::QC_Run run = qc::current_run(program_.state, "");
        with_assay_ && run.substance == substance && qc::identity_problem(run).empty())
      assay = std::move(run);
    runs_ = qc::judged_runs(program_, substance, assay);
    if (runs_) sera_ = runs_->series.sera();
  }
  const auto found = std::find(sera_.begin(), sera_.end(), shown_serum);
  serum_ = found == sera_.end() ? 0 : static_cast<std::size_t>(found - sera_.begin());
  // A new series opens on the window that ends with the assay's run, else with the newest.
  const std::size_t runs = runs_ ? runs_->series.runs.size() : 0;
  HScroll1.set_range(0, static_cast<int>(runs > qc::Chart_Runs ? runs - qc::Chart_Runs : 0));
  const std::size_t first = qc::window_ending_at(runs, runs_ ? runs_->place : std::nullopt);
  if (static_cast<int>(first) != HScroll1.value()) HScroll1.set_value(static_cast<int>(first));  // draws
  else draw();
}

qc::Chart_View Reg_QC::view() const {
  qc::Chart_View view;
  if (!runs_) return view;
  view.series = &runs_->series;
  view.substance = substances_[substance_];
  view.serum = serum_ < sera_.size() ? sera_[serum_] : 0;
  view.first = static_cast<std::size_t>(HScroll1.value());
  view.assay_place = runs_->place;
  view.assay_saved = runs_->assay_saved;
  view.stored_twin = runs_->stored_twin ? &*runs_->stored_twin : nullptr;
  return view;
}

void Reg_QC::draw() {
  const qc::Chart_View v = view();
  const auto& history = program_.qc_history;
  Substance_Label.caption = substance_ < substances_.size() ? substances_[substance_] : "";
  Serum_Label.caption = v.serum == 0 ? "" : "Sera " + text::bare_text(v.serum);
  History_Label.caption = history.path.empty()       ? "履歴: なし"
                          : !history.failure.empty() ? "履歴: 使えません  " + qc::shown_history(history.path)
                                                     : "履歴: " + qc::shown_history(history.path);
  Target_Label.caption = v.serum == 0 ? "" : qc::chart_target_text(v);
  Window_Label.caption = qc::chart_window_text(v);
  for (int sd = -3; sd <= 3; ++sd) Tick[sd + 3].caption = v.serum == 0 ? "" : qc::chart_tick_text(v, sd);

  if (picked_ && *picked_ < v.runs()) {
    const qc::QC_Run& run = v.series->runs[*picked_];
    Picked_Label.caption = "選択: " + run.assay_date + "  " + run.assay_no + "  " + qc::curve_name(run.curve);
  } else {
    Picked_Label.caption = "削除する測定は図をクリックして選びます";
  }

  Chart.clear();
  Chart.scale(0, qc::Chart_Z, qc::Chart_Runs, -2 * qc::Chart_Z);
  for (int sd = -3; sd <= 3; ++sd) {
    const int size = std::abs(sd);
    Chart.draw_style = size == 1 ? ui::Draw_Style::Dotted : size == 2 ? ui::Draw_Style::Dashed : ui::Draw_Style::Solid;
    Chart.line(0, sd, qc::Chart_Runs, sd, sd == 0 ? Mean_Green : size == 1 ? Grey : size == 2 ? Orange : ui::Red);
  }
  Chart.draw_style = ui::Draw_Style::Solid;
  for (int j = 0; j < qc::Chart_Runs; ++j) {
    const std::size_t r = v.first + static_cast<std::size_t>(j);
    Run_Date[j].caption = r < v.first + v.shown() ? qc::chart_date_text(v.series->runs[r]) : "";
  }

  constexpr double Radius = 0.15;  // of a point, in runs
  std::optional<std::pair<double, double>> previous;
  for (std::size_t r = v.first; r < v.first + v.shown(); ++r) {
    const double x = static_cast<double>(r - v.first) + 0.5;
    if (v.assay_place == r) {
      Chart.draw_style = ui::Draw_Style::Dotted;
      Chart.line(x, qc::Chart_Z, x, -qc::Chart_Z, ui::Blue);
      Chart.draw_style = ui::Draw_Style::Solid;
      if (const auto twin = v.twin_z())
        Chart.circle(x, std::clamp(*twin, -qc::Chart_Edge, qc::Chart_Edge), Radius, Grey);
    }
    const auto z = v.z(r);
    if (!z) continue;
    const double y = std::clamp(*z, -qc::Chart_Edge, qc::Chart_Edge);
    if (previous) Chart.line(previous->first, previous->second, x, y, ui::Black);
    previous = {x, y};
    const qc::Run_Check& check = v.series->checks[r];
    const bool broke = check.broke(v.serum);
    const ui::Colour colour = !broke ? ui::Black : check.verdict == qc::Verdict::Reject ? ui::Red : Orange;
    Chart.circle(x, y, Radius, colour);
    if (broke) Chart.circle(x, y, 2 * Radius, colour);
  }

  std::string rules;
  if (history.path.empty()) rules = "精度管理の履歴を使っていません。「履歴ファイル」で選べます。";
  else if (!history.failure.empty()) rules = history.failure;
  else if (v.shown() == 0) rules = "この測定物質の記録はありません";
  for (const std::string& line : qc::chart_rule_lines(v)) rules += (rules.empty() ? "" : "\r\n") + line;
  if (rules.empty())
    rules = v.serum != 0 && v.target() == nullptr ? "目標値がまだないため、規則による判定はしていません"
            : v.target() && v.target()->provisional() ? "目標値が暫定のため (20 回未満)、規則による判定はしていません"
                                                      : "表示中の測定に規則違反はありません";
  for (const std::string& line : {qc::chart_twin_line(v), qc::chart_dates_line(v)})
    if (!line.empty()) rules += "\r\n" + line;
  for (const std::string& line : qc::chart_curve_lines(v)) rules += "\r\n" + line;
  for (const std::string& line : picked_trail_) rules += "\r\n" + line;
  if (assay_changed_)
    rules =
        "描いた後に測定値、検量線または測定結果の曲線が変わりました。今回の測定は「最新の結果で描く」で加えます\r\n" +
        rules;
  Rules.text = rules;
}

void Reg_QC::step_substance(int step) {
  if (substances_.empty()) return;
  const auto n = static_cast<long long>(substances_.size());
  substance_ = static_cast<std::size_t>(((static_cast<long long>(substance_) + step) % n + n) % n);
  load_runs();
}

void Reg_QC::step_serum(int step) {
  if (sera_.empty()) return;
  const auto n = static_cast<long long>(sera_.size());
  serum_ = static_cast<std::size_t>(((static_cast<long long>(serum_) + step) % n + n) % n);
  draw();
}

void Reg_QC::enter_target() {
  const qc::Chart_View v = view();
  if (v.serum == 0) return program_.platform.message("目標値を入力する測定物質と管理血清がありません");
  const std::string mean_text = text::Text_Clean(Target_Mean.text), sd_text = text::Text_Clean(Target_SD.text);
  const double mean = text::Val(mean_text), sd = text::Val(sd_text);
  if (!text::starts_with_number(mean_text) || !text::starts_with_number(sd_text) || !(mean > 0) || !(sd > 0))
    return program_.platform.message("目標値の平均と SD は 0 より大きい数値で入力してください");
  qc::History_Store store;
  if (qc::open_history(program_, store, qc::Connection::Mode::Write) != qc::Access::Opened) {
    if (program_.qc_history.path.empty()) program_.platform.message("精度管理の履歴ファイルが選ばれていません");
    return draw();
  }
  // The target belongs to the curve of the assay shown, else of the newest run.
  const qc::QC_Run& newest = v.series->runs[v.assay_place.value_or(v.runs() - 1)];
  if (const qc::Db_Outcome outcome = store.keep_target(v.substance, v.serum, {mean, sd, 0, newest.curve, "", ""});
      !outcome)
    qc::give_up_history(program_, outcome);
  load_runs();
}

void Reg_QC::remove_target() {
  const qc::Chart_View v = view();
  if (v.serum == 0) return;
  qc::History_Store store;
  if (qc::open_history(program_, store, qc::Connection::Mode::Write) != qc::Access::Opened) return draw();
  if (const qc::Db_Outcome outcome = store.clear_target(v.substance, v.serum); !outcome)
    qc::give_up_history(program_, outcome);
  load_runs();
}

void Reg_QC::pick_run(double x) {
  const qc::Chart_View v = view();
  if (x < 0) return;
  const auto slot = static_cast<std::size_t>(x);
  picked_.reset();
  picked_trail_.clear();
  if (slot < v.shown() && v.series->runs[v.first + slot].id != 0) picked_ = v.first + slot;
  // The picked run's trail: every change the history recorded of it.
  qc::History_Store store;
  std::vector<qc::Audit_Row> trail;
  if (picked_ && qc::open_history(program_, store, qc::Connection::Mode::Read) == qc::Access::Opened &&
      store.run_trail(v.series->runs[*picked_], trail)) {
    picked_trail_.push_back("選択した測定の監査証跡:");
    for (const qc::Audit_Row& row : trail)
      picked_trail_.push_back("  " + row.at + " UTC  " + row.user + "@" + row.station + "  " +
                              qc::audit_action_text(row.action) + (row.reason.empty() ? "" : "  理由: " + row.reason));
  }
  draw();
}

void Reg_QC::delete_picked_run() {
  const qc::Chart_View v = view();
  if (!picked_ || *picked_ >= v.runs())
    return program_.platform.message("削除する測定を図でクリックして選んでください (保存された測定だけを削除できます)");
  const std::string reason = text::Text_Clean(Delete_Reason.text);
  if (reason.empty()) return program_.platform.message("削除の理由を入力してください");
  const qc::QC_Run run = v.series->runs[*picked_];
  if (!program_.platform.ask_yes_no_default_no("精度管理の履歴から次の測定を削除しますか？\n" + run.substance +
                                               "  アッセイＮｏ " + run.assay_no + "  実験日 " + run.assay_date +
                                               "\n理由: " + reason))
    return;
  qc::History_Store store;
  if (qc::open_history(program_, store, qc::Connection::Mode::Write) != qc::Access::Opened) return draw();
  const qc::Delete_Result deleted =
      qc::delete_stored_run(store, program_.qc_history.path, run.substance, run.assay_no, run.assay_date, reason);
  program_.platform.message(deleted.message);
  if (deleted.kind == qc::Delete_Result::Kind::Deleted) Delete_Reason.text.clear();
  refresh(with_assay_);
}

void Reg_QC::choose_file() {
  // A server typed beside the button is taken; otherwise a file is chosen.
  if (qc::is_server_uri(text::Text_Clean(History_URI.text))) return apply_server();
  const std::string path =
      program_.platform.save_file({"精度管理の履歴ファイル", "精度管理(*.sqlite)|*.sqlite", "sqlite", false});
  if (!path.empty()) use_history(path);
}

void Reg_QC::apply_server() {
  uri_typed_ = false;
  const std::string typed = text::Text_Clean(History_URI.text);
  if (typed.empty()) return;
  if (!qc::is_server_uri(typed))
    return program_.platform.message(
        "サーバー URI には postgresql:// で始まる接続文字列を入力してください (ファイルは「履歴ファイル」で選びます)");
  if (const qc::History_Name name = qc::read_history_name(typed); name.kind == qc::History_Name::Kind::Refused)
    return program_.platform.message(name.problem);
  use_history(typed);
}

bool Reg_QC::use_history(const std::string& where) {
  // A history that cannot serve is refused; the history in use stays.
  qc::History_Store store;
  if (const qc::Db_Outcome outcome = store.open(where, qc::Connection::Mode::Write); !outcome) {
    program_.platform.message(qc::history_message(where, outcome));
    return false;
  }
  program_.qc_history.path = where;
  program_.qc_history.failure.clear();
  program_.qc_history.last_verdict.clear();
  refresh(with_assay_);
  return true;
}

bool Reg_QC::out_of_date() const {
  return assay_changed_ || (with_assay_ && drawn_revision_ != basis_digest(program_.state, Basis::Results));
}

void Reg_QC::check_revision() {
  if (assay_changed_ || !out_of_date()) return;
  refresh(false);
  assay_changed_ = true;
  caption = std::string(Caption) + " ― 今回の測定は最新の結果ではないため表示していません";
  Update.visible = true;
  draw();
}

bool Reg_QC::bring_up_to_date() {
  if (!Run_Control_Sera(program_)) return false;
  refresh(true);
  return true;
}

// The printout is always of the control sera in force.
void Reg_QC::print() {
  if (out_of_date() && !bring_up_to_date()) return;
  qc::print_one(program_, [view = view()](ui::Printer& printer) { QC_Chart_PRT(view, printer); });
}

}  // namespace quorin
