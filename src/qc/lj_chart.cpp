#include "qc/lj_chart.h"

#include <algorithm>
#include <cmath>

#include "qc/qc_history.h"
#include "text/display_width.h"
#include "text/format.h"

namespace quorin::qc {

namespace {

// Text lines of the page at 10 points: the printable width (A4 less 9 mm each side) holds 108
// half-width columns of the fixed-pitch face; a few are kept free.
constexpr std::size_t Page_Columns = 104;

}  // namespace

std::size_t Chart_View::shown() const {
  return first >= runs() ? 0 : std::min<std::size_t>(Chart_Runs, runs() - first);
}

const Target* Chart_View::target() const {
  if (series == nullptr) return nullptr;
  const auto found = series->targets.find(serum);
  return found == series->targets.end() ? nullptr : &found->second;
}

std::optional<Target> Chart_View::scale() const {
  if (const Target* kept = target()) return *kept;
  double sum = 0;
  int values = 0;
  for (std::size_t r = 0; r < runs(); ++r)
    if (const Serum_Value* value = series->runs[r].serum(serum); value != nullptr && value->mean)
      sum += *value->mean, ++values;
  if (values == 0 || sum == 0) return std::nullopt;
  Target provisional;
  provisional.mean = sum / values;
  provisional.sd = std::abs(provisional.mean) * Provisional_Step;
  return provisional;
}

std::optional<double> Chart_View::z(std::size_t run) const {
  if (serum < 1 || serum > Max_Sera || run >= runs()) return std::nullopt;
  if (target() != nullptr) return series->z[run][serum];
  const Serum_Value* value = series->runs[run].serum(serum);
  const auto provisional = scale();
  if (value == nullptr || !value->mean || !provisional) return std::nullopt;
  return (*value->mean - provisional->mean) / provisional->sd;
}

std::optional<double> Chart_View::twin_z() const {
  const Serum_Value* value = stored_twin == nullptr ? nullptr : stored_twin->serum(serum);
  const auto divisions = scale();
  if (value == nullptr || !value->mean || !divisions) return std::nullopt;
  return (*value->mean - divisions->mean) / divisions->sd;
}

std::string Chart_View::unit() const { return runs() == 0 ? "" : series->runs.back().unit; }

Chart_View chart_view(const Judged_Runs& runs, const std::string& substance, int serum) {
  Chart_View view;
  view.series = &runs.series;
  view.substance = substance;
  view.serum = serum;
  view.assay_place = runs.place;
  view.assay_saved = runs.assay_saved;
  view.stored_twin = runs.stored_twin ? &*runs.stored_twin : nullptr;
  view.first = window_ending_at(runs.series.runs.size(), runs.place);
  return view;
}

std::size_t window_ending_at(std::size_t runs, std::optional<std::size_t> last) {
  const std::size_t end = last && *last < runs ? *last + 1 : runs;
  return end > static_cast<std::size_t>(Chart_Runs) ? end - Chart_Runs : 0;
}

std::string chart_target_text(const Chart_View& view) {
  const Target* target = view.target();
  if (target == nullptr)
    return "目標値はまだありません (2 回以上の測定か入力が必要)  目盛り: 平均の " +
           text::bare_text(static_cast<int>(Provisional_Step * 100)) + "% ごと";
  const std::string unit = view.unit().empty() ? "" : " " + view.unit();
  return std::string(target->provisional() ? "目標 (暫定) " : "目標 ") + serum_concentration_text(target->mean) +
         " ± " + serum_concentration_text(target->sd) + unit + "  (" + target_source_text(*target) + ")" +
         (target->provisional() ? "  規則による判定は " + text::bare_text(Baseline_Runs) + " 回そろってから" : "");
}

std::string chart_window_text(const Chart_View& view) {
  if (view.shown() == 0) return "記録された測定はありません";
  std::string text = "全 " + text::bare_text(static_cast<long long>(view.runs())) + " 回のうち " +
                     text::bare_text(static_cast<long long>(view.first + 1)) + " ～ " +
                     text::bare_text(static_cast<long long>(view.first + view.shown())) + " 回目";
  if (view.assay_place)
    text += std::string("   点線: 今回の測定 ") + (view.assay_saved ? "(保存済み)"
                                                   : view.stored_twin ? "(未保存; 灰色の点は保存済みの記録)"
                                                                      : "(未保存)");
  return text;
}

std::vector<std::string> chart_curve_lines(const Chart_View& view) {
  std::vector<std::string> lines;
  for (std::size_t r = view.first, end = view.first + view.shown(); r < end;) {
    const Run_Curve& curve = view.series->runs[r].curve;
    std::size_t last = r;
    while (last + 1 < end && view.series->runs[last + 1].curve == curve) ++last;
    std::string runs = text::bare_text(static_cast<long long>(r + 1));
    if (last > r) runs += " ～ " + text::bare_text(static_cast<long long>(last + 1));
    lines.push_back("検量線: " + runs + " 回目 " + curve_text(curve));
    r = last + 1;
  }
  return lines;
}

std::vector<std::string> chart_rule_lines(const Chart_View& view) {
  std::vector<std::string> lines;
  for (std::size_t r = view.first; r < view.first + view.shown(); ++r) {
    const Run_Check& check = view.series->checks[r];
    if (!check.broke(view.serum)) continue;
    const QC_Run& run = view.series->runs[r];
    const Serum_Value* value = run.serum(view.serum);
    std::string line = run.assay_date + "  " + run.assay_no + "  " + serum_concentration_text(*value->mean) +
                       "  z = " + z_text(*view.z(r)) + "  " + serum_rules_text(check, view.serum, ", ") + "  " +
                       run_verdict_text(*view.series, r);
    if (view.assay_place == r) line += "  (今回)";
    lines.push_back(line);
  }
  return lines;
}

std::string chart_tick_text(const Chart_View& view, int sd) {
  // Without a target a division is a share of the mean, not an SD.
  const std::string step = view.target() != nullptr
                               ? text::bare_text(sd) + "SD"
                               : text::bare_text(static_cast<int>(sd * Provisional_Step * 100)) + "%";
  const std::string name = sd == 0 ? "平均" : (sd > 0 ? "+" : "") + step;
  const auto scale = view.scale();
  return !scale ? name : name + " " + serum_concentration_text(scale->mean + sd * scale->sd);
}

std::string chart_date_text(const QC_Run& run) {
  const std::string& key = run.date_key;
  const bool read = key.size() == 10 && key[4] == '-' && key[7] == '-';
  return read ? key.substr(5, 2) + "/" + key.substr(8, 2) : text::clip_to_columns(run.assay_date, 6);
}

std::string chart_dates_line(const Chart_View& view) {
  if (view.shown() == 0) return "";
  const QC_Run& first = view.series->runs[view.first];
  const QC_Run& last = view.series->runs[view.first + view.shown() - 1];
  return "実験日 (月/日): " + first.assay_date + (view.shown() > 1 ? " ～ " + last.assay_date : "");
}

std::string chart_twin_line(const Chart_View& view) {
  const QC_Run* twin = view.stored_twin;
  if (twin == nullptr) return "";
  const Serum_Value* value = twin->serum(view.serum);
  return "灰色の点: 今回の測定と同じ測定の保存済みの記録 (" + twin->saved_at + " UTC " + twin->station + " 保存、" +
         curve_text(twin->curve) + "、" +
         (value != nullptr && value->mean ? serum_concentration_text(*value->mean) : std::string("濃度なし")) +
         ")。今回の値は保存していません";
}

std::vector<std::string> fit_to_columns(const std::string& line, std::size_t columns) {
  std::vector<std::string> lines;
  std::string rest = line;
  while (text::display_columns(rest) > columns) {
    const std::size_t width = columns - (lines.empty() ? 0 : 2);
    std::string head = text::clip_to_columns(rest, width);
    // Break after the last blank or comma in the second half of the line, else where it is full.
    const std::size_t blank = head.find_last_of(" ,");
    if (blank != std::string::npos && text::display_columns(head.substr(0, blank)) > width / 2)
      head = head.substr(0, blank + 1);
    if (head.empty()) break;  // a character wider than the line: leave it whole
    rest = rest.substr(head.size());
    while (head.ends_with(" ")) head.pop_back();
    lines.push_back((lines.empty() ? "" : "  ") + head);
    while (rest.starts_with(" ")) rest.erase(0, 1);
  }
  if (!rest.empty() || lines.empty()) lines.push_back((lines.empty() ? "" : "  ") + rest);
  return lines;
}

void QC_Chart_PRT(const Chart_View& view, ui::Printer& printer) {
  // The frame: 30 slots of 300 twips from x = 1800, 600 twips per SD, below the lines of its title.
  constexpr double Left = 1800, Slot = 300, Per_SD = 600, Mark = 50, Line = 250;
  auto text_at = [&printer](double x, double y, const std::string& text) {
    printer.set_position(x, y);
    printer.print(text, false);
  };
  // Every line of text is broken to fit the page's width; y is where the next one goes.
  double y = 400;
  auto lines_at = [&](const std::string& line) {
    for (const std::string& part : fit_to_columns(line, Page_Columns)) text_at(0, y += Line, part);
  };

  printer.set_font_size(14);
  text_at(0, 250, "精度管理図 (Levey-Jennings)");
  printer.set_font_size(10);
  lines_at("測定物質 " + view.substance + "   管理血清 Sera " + text::bare_text(view.serum) + "   " +
           chart_window_text(view));
  lines_at(chart_target_text(view));
  const double top = std::max(1500.0, y + 2 * Line), right = Left + Slot * Chart_Runs,
               bottom = top + 2 * Chart_Z * Per_SD;
  auto X = [&](std::size_t r) { return Left + Slot * (static_cast<double>(r - view.first) + 0.5); };
  auto Y = [&](double z) { return top + (Chart_Z - z) * Per_SD; };

  printer.rectangle(Left, top, right, bottom);
  for (int sd = -3; sd <= 3; ++sd) {
    printer.set_draw_style(sd == 0 || std::abs(sd) == 3 ? ui::Draw_Style::Solid
                           : std::abs(sd) == 2          ? ui::Draw_Style::Dashed
                                                        : ui::Draw_Style::Dotted);
    printer.line(Left, Y(sd), right, Y(sd));
    printer.set_font_size(8);
    text_at(0, Y(sd) - 100, chart_tick_text(view, sd));
  }
  printer.set_draw_style(ui::Draw_Style::Solid);

  std::optional<std::pair<double, double>> previous;
  for (std::size_t r = view.first; r < view.first + view.shown(); ++r) {
    // The date of every run, in two rows so that each has the width of two slots.
    text_at(X(r) - 200, bottom + 60 + 200 * static_cast<double>((r - view.first) % 2),
            chart_date_text(view.series->runs[r]));
    const auto z = view.z(r);
    if (view.assay_place == r) {
      // The assay's dotted line first, so that the points drawn over it end the page in solid lines.
      printer.set_draw_style(ui::Draw_Style::Dotted);
      printer.line(X(r), top, X(r), bottom);
      printer.set_draw_style(ui::Draw_Style::Solid);
      if (const auto twin = view.twin_z()) {
        printer.set_colour({128, 128, 128});
        printer.circle(X(r), Y(std::clamp(*twin, -Chart_Edge, Chart_Edge)), Mark);
        printer.set_colour(ui::Black);
      }
    }
    if (!z) continue;
    const double x = X(r), y_z = Y(std::clamp(*z, -Chart_Edge, Chart_Edge));
    if (previous) printer.line(previous->first, previous->second, x, y_z);
    previous = {x, y_z};
    printer.circle(x, y_z, Mark);
    const Run_Check& check = view.series->checks[r];
    // On paper a broken rule is a ring around the point; a rejection also crosses it.
    if (check.broke(view.serum)) {
      printer.circle(x, y_z, 2 * Mark);
      if (check.verdict == Verdict::Reject) {
        printer.line(x - 2 * Mark, y_z - 2 * Mark, x + 2 * Mark, y_z + 2 * Mark);
        printer.line(x - 2 * Mark, y_z + 2 * Mark, x + 2 * Mark, y_z - 2 * Mark);
      }
    }
  }

  printer.set_font_size(10);
  y = bottom + 450 - Line;
  std::vector<std::string> lines;
  for (const std::string& line : {chart_dates_line(view), chart_twin_line(view)})
    if (!line.empty()) lines.push_back(line);
  lines.push_back("");
  lines.push_back("規則に反した測定 (Westgard)");
  const std::vector<std::string> broken = chart_rule_lines(view);
  if (broken.empty()) lines.push_back("ありません");
  lines.insert(lines.end(), broken.begin(), broken.end());
  lines.push_back("");
  for (const std::string& line : chart_curve_lines(view)) lines.push_back(line);
  // What the page cannot hold is counted on its last line.
  std::vector<std::string> fitted;
  for (const std::string& line : lines)
    for (std::string& part : fit_to_columns(line, Page_Columns)) fitted.push_back(std::move(part));
  const auto room = static_cast<std::size_t>(std::max(1.0, (printer.printable_height() - y) / Line - 1));
  if (fitted.size() > room) {
    const std::size_t left_out = fitted.size() - (room - 1);
    fitted.resize(room - 1);
    fitted.push_back("(ほか " + text::bare_text(static_cast<long long>(left_out)) + " 行は画面の精度管理図にあります)");
  }
  for (const std::string& line : fitted) text_at(0, y += Line, line);
  printer.end_document();
}

}  // namespace quorin::qc
