#include "qc/lj_chart.h"

#include <algorithm>
#include <cmath>

#include "qc/qc_history.h"
#include "text/format.h"

namespace quorin::qc {

namespace {}  // namespace

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

std::string Chart_View::unit() const { return runs() == 0 ? "" : series->runs.back().unit; }

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
  return "目標 " + serum_concentration_text(target->mean) + " ± " + serum_concentration_text(target->sd) + unit +
         "  (" + target_source_text(*target) + ")";
}

std::string chart_window_text(const Chart_View& view) {
  if (view.shown() == 0) return "記録された測定はありません";
  std::string text = "全 " + text::bare_text(static_cast<long long>(view.runs())) + " 回のうち " +
                     text::bare_text(static_cast<long long>(view.first + 1)) + " ～ " +
                     text::bare_text(static_cast<long long>(view.first + view.shown())) + " 回目";
  if (view.assay_place)
    text += std::string("   点線: 今回の測定 ") +
            (view.series->runs[*view.assay_place].id == 0 ? "(未保存)" : "(保存済み)");
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
                       verdict_text(check.verdict);
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

void QC_Chart_PRT(const Chart_View& view, ui::Printer& printer) {
  // The frame: 30 slots of 300 twips from x = 1800, 600 twips per SD from y = 1500.
  constexpr double Left = 1800, Slot = 300, Top = 1500, Per_SD = 600, Mark = 50;
  const double right = Left + Slot * Chart_Runs, bottom = Top + 2 * Chart_Z * Per_SD;
  auto X = [&](std::size_t r) { return Left + Slot * (static_cast<double>(r - view.first) + 0.5); };
  auto Y = [&](double z) { return Top + (Chart_Z - z) * Per_SD; };
  auto text_at = [&printer](double x, double y, const std::string& text) {
    printer.set_position(x, y);
    printer.print(text, false);
  };

  printer.set_font_size(14);
  text_at(0, 250, "精度管理図 (Levey-Jennings)");
  printer.set_font_size(10);
  text_at(0, 700,
          "測定物質 " + view.substance + "   管理血清 Sera " + text::bare_text(view.serum) + "   " +
              chart_window_text(view));
  text_at(0, 950, chart_target_text(view));

  printer.rectangle(Left, Top, right, bottom);
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
    if ((r - view.first) % 5 == 0) text_at(X(r) - 450, bottom + 60, view.series->runs[r].assay_date);
    const auto z = view.z(r);
    if (!z) continue;
    const double x = X(r), y = Y(std::clamp(*z, -Chart_Edge, Chart_Edge));
    // The assay's dotted line first, so that the point drawn over it ends the page in solid lines.
    if (view.assay_place == r) {
      printer.set_draw_style(ui::Draw_Style::Dotted);
      printer.line(x, Top, x, bottom);
      printer.set_draw_style(ui::Draw_Style::Solid);
    }
    if (previous) printer.line(previous->first, previous->second, x, y);
    previous = {x, y};
    printer.circle(x, y, Mark);
    const Run_Check& check = view.series->checks[r];
    // On paper a broken rule is a ring around the point; a rejection also crosses it.
    if (check.broke(view.serum)) {
      printer.circle(x, y, 2 * Mark);
      if (check.verdict == Verdict::Reject) {
        printer.line(x - 2 * Mark, y - 2 * Mark, x + 2 * Mark, y + 2 * Mark);
        printer.line(x - 2 * Mark, y + 2 * Mark, x + 2 * Mark, y - 2 * Mark);
      }
    }
  }

  printer.set_font_size(10);
  double y = bottom + 500;
  text_at(0, y, "規則に反した測定 (Westgard)");
  const std::vector<std::string> lines = chart_rule_lines(view);
  if (lines.empty()) text_at(0, y += 250, "ありません");
  for (const std::string& line : lines) text_at(0, y += 250, line);
  y += 250;
  for (const std::string& line : chart_curve_lines(view)) text_at(0, y += 250, line);
  printer.end_document();
}

}  // namespace quorin::qc
