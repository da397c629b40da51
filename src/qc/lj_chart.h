#pragma once
// The Levey-Jennings chart of one serum of one substance: the runs in run order along the x
// axis, a window of Chart_Runs of them at a time, each run's value in SD units from the target
// on the y axis with the target mean and the 1, 2 and 3 SD lines; the points of runs in which
// the serum broke a rule are marked, and those rules listed. The screen and the printout draw
// the same view.

#include <optional>
#include <string>
#include <vector>

#include "qc/qc_history.h"
#include "qc/qc_series.h"
#include "ui/printer.h"

namespace quorin::qc {

inline constexpr int Chart_Runs = 30;             // runs in one window of the chart
inline constexpr double Chart_Z = 4.5;            // the chart spans -4.5 .. +4.5 SD
inline constexpr double Chart_Edge = 4.2;         // points further out are drawn here, their rings inside the frame
inline constexpr double Provisional_Step = 0.10;  // a division without target: 10 % of the mean

struct Chart_View {
  const Series* series = nullptr;
  std::string substance;
  int serum = 0;
  std::size_t first = 0;                   // the first run shown
  std::optional<std::size_t> assay_place;  // the assay being worked on, when it is among the runs
  bool assay_saved = false;                // the history holds the assay's run with the values shown
  const QC_Run* stored_twin = nullptr;     // a stored run of the assay with other values, drawn grey

  std::size_t runs() const { return series == nullptr ? 0 : series->runs.size(); }
  // The runs shown: first .. first + shown() - 1.
  std::size_t shown() const;
  const Target* target() const;
  // The scale of the y axis: the target, or while the serum has none, a provisional one centred
  // on the mean of its values with Provisional_Step of that mean per division, so that a first
  // value is still plotted; none when the serum has no value at all.
  std::optional<Target> scale() const;
  // The run's value in divisions of the scale.
  std::optional<double> z(std::size_t run) const;
  // The stored twin's value in divisions of the scale.
  std::optional<double> twin_z() const;
  // The unit of the newest run ("" when none).
  std::string unit() const;
};

// The window that ends with run `last` (or the newest when there is none).
std::size_t window_ending_at(std::size_t runs, std::optional<std::size_t> last);

// "目標 10.000 ± 0.670 μg/dL  (目標値: 最初の 20 回から)", or why the serum has no target.
std::string chart_target_text(const Chart_View& view);
// The view of a judged series of the program's history.
Chart_View chart_view(const Judged_Runs& runs, const std::string& substance, int serum);
// "全 45 回のうち 16 ～ 45 回目", and where the assay being worked on stands, whether it is saved.
std::string chart_window_text(const Chart_View& view);
// The curve of every run shown, consecutive runs of one curve together:
// "検量線: 1 ～ 12 回目 ロジット・ログ 重無1次 (STD 1～8)".
std::vector<std::string> chart_curve_lines(const Chart_View& view);
// One line per run shown in which the serum broke a rule: date, assay number, value, z, rules
// and the run's verdict; the assay being worked on is marked "(今回)".
std::vector<std::string> chart_rule_lines(const Chart_View& view);
// The caption of a tick of the y axis: "+2SD" and the concentration there.
std::string chart_tick_text(const Chart_View& view, int sd);
// The date under a run's point: "12/01" for a date the history reads, else the date as typed, cut
// short; and the line that gives the dates shown in full ("実験日 (月/日): 2026/11/03 ～ 2026/12/01").
std::string chart_date_text(const QC_Run& run);
std::string chart_dates_line(const Chart_View& view);
// The stored twin of the assay as a line, "" when there is none.
std::string chart_twin_line(const Chart_View& view);

// The line broken into lines of at most `columns` columns (text/display_width.h), after a blank
// or a comma where one is near; the lines after the first are indented by two blanks.
std::vector<std::string> fit_to_columns(const std::string& line, std::size_t columns);

// The chart on one page.
void QC_Chart_PRT(const Chart_View& view, ui::Printer& printer);

}  // namespace quorin::qc
