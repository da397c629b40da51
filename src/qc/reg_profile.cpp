#include "qc/reg_profile.h"

#include <cmath>

#include "engine/result_kind.h"
#include "help/help_procedures.h"
#include "qc/profile_plot.h"
#include "qc/qc_print.h"
#include "state/basis.h"
#include "state/current_results.h"
#include "state/cv_limit.h"
#include "state/program.h"
#include "text/format.h"
#include "text/text_clean.h"

namespace quorin {

namespace {

// Layout, in twips.
constexpr int Chart_Left = 1080, Chart_Top = 720, Chart_Width = 10920, Chart_Height = 5040;
// The CV of 0 stands this far above the chart's bottom edge, so that a sample's circle there is
// drawn whole.
constexpr int Zero_Above_Bottom = 120;
constexpr int Value_Height = Chart_Height - Zero_Above_Bottom;
constexpr int Bottom_Row = 7800;
constexpr const char* Caption = "精度プロファイル";

constexpr ui::Colour Grey{128, 128, 128};
constexpr ui::Colour Range_Green{0, 160, 0};

}  // namespace

Reg_Profile::Reg_Profile(Program& program)
    : ui::Form(Caption, 12255, Bottom_Row + 375 + 120),
      Limit_Box(add<ui::Text_Box>("Limit_Box", 1620, 120, 900, 330)),
      Points_Label(add<ui::Label>("Points_Label", 2760, 150, 9360, 300)),
      Chart(add<ui::Picture_Area>("Chart", Chart_Left, Chart_Top, Chart_Width, Chart_Height)),
      Axis_Label(add<ui::Label>("Axis_Label", Chart_Left, Chart_Top + Chart_Height + 300, Chart_Width, 300)),
      Summary_Label(add<ui::Label>("Summary_Label", 120, 6660, 12000, 300)),
      Fit_Label(add<ui::Label>("Fit_Label", 120, 7020, 12000, 300)),
      Update(add<ui::Command_Button>("Update", 5760, Bottom_Row, 2280, 375)),
      Print(add<ui::Command_Button>("Print", 8280, Bottom_Row, 1095, 375)),
      Help(add<ui::Command_Button>("Help", 9480, Bottom_Row, 1095, 375)),
      Close(add<ui::Command_Button>("Close", 10680, Bottom_Row, 1095, 375)),
      program_(program) {
  add<ui::Label>("Limit_Caption", 120, 150, 1500, 270).caption = "CV の上限 (%)";
  // Between the limit's caption and the top tick's label.
  ui::Label& cv_caption = add<ui::Label>("CV_Caption", 120, 420, 900, 180);
  cv_caption.caption = "CV (%)";
  cv_caption.font_size = 8;
  add<ui::Label>("Legend", 120, 7380, 12000, 300).caption =
      "○ 検体   灰色の点線: 最低と最高の標準   赤線: CV の上限   緑: 測定範囲 (標準と検体の濃度の範囲内)";
  Limit_Box.alignment = ui::Align::Right;
  shown_limit_ = program_.state.Flag_CV_Limit;
  Limit_Box.text = cv_limit_text(program_);
  Limit_Box.on_key_down = [this](int key_code, int) {
    if (key_code == ui::Key_Return) commit_limit();
  };
  Limit_Box.on_lost_focus = [this] {
    if (Limit_Box.text != cv_limit_text(program_)) commit_limit();
  };
  Axis_Label.alignment = ui::Align::Center;
  for (int k = 0; k <= 4; ++k) {
    ui::Label& tick = add(Tick, k, 0, Chart_Top + Value_Height * (4 - k) / 4 - 120, Chart_Left - 60, 240);
    tick.alignment = ui::Align::Right;
    tick.font_size = 8;
  }
  for (int d = 0; d < Decade_Labels; ++d) {
    ui::Label& label = add(Decade, d, 0, Chart_Top + Chart_Height + 30, 1000, 240);
    label.alignment = ui::Align::Center;
    label.font_size = 8;
  }
  Update.caption = "最新の結果で描く";
  Update.visible = false;
  Update.on_click = [this] { bring_up_to_date(); };
  Print.caption = "印　刷";
  Help.caption = "Help";
  Close.caption = "閉じる";
  // The printout is always of the samples in force.
  Print.on_click = [this] {
    if (out_of_date() && !bring_up_to_date()) return;
    qc::print_one(program_, [this](ui::Printer& printer) { qc::Profile_PRT(program_.state, profile_, printer); });
  };
  Help.on_click = [this] { Show_Help(program_, Screen::Profile); };
  Close.on_click = [this] { program_.close(Screen::Profile); };
  close_control = &Close;
}

void Reg_Profile::refresh() {
  profile_ = qc::precision_profile(program_.state, program_.state.Flag_CV_Limit);
  drawn_revision_ = program_.state.Result_Basis(static_cast<std::size_t>(Result_Kind::Sample));
  drawn_labels_ = labels_digest(program_.state);
  caption = Caption;
  Update.visible = false;
  draw();
}

bool Reg_Profile::out_of_date() const { return drawn_revision_ != basis_digest(program_.state, Basis::Results); }

void Reg_Profile::check_revision() {
  if (shown_limit_ != program_.state.Flag_CV_Limit) {
    shown_limit_ = program_.state.Flag_CV_Limit;
    Limit_Box.text = cv_limit_text(program_);
  }
  if (drawn_revision_ == 0) return;
  if (out_of_date()) clear_drawing();
  else if (drawn_labels_ != labels_digest(program_.state)) refresh();
}

void Reg_Profile::clear_drawing() {
  drawn_revision_ = 0;
  profile_ = {};
  Chart.clear();
  for (auto* label : {&Points_Label, &Fit_Label}) label->caption = "";
  for (auto& [d, label] : Decade) label->visible = false;
  Summary_Label.caption =
      "描いた後に測定値、検量線または測定結果の曲線が変わりました。「最新の結果で描く」で描き直します";
  caption = std::string(Caption) + " ― 最新の結果ではありません";
  Update.visible = true;
}

bool Reg_Profile::bring_up_to_date() {
  if (!Run_Assay_Samples(program_)) return false;
  refresh();
  return true;
}

// A limit that is taken is the one every window flags and draws by; a profile out of date is then
// drawn with the samples in force.
void Reg_Profile::commit_limit() {
  const bool taken = Commit_CV_Limit(program_, Limit_Box.text);
  Limit_Box.text = cv_limit_text(program_);
  if (!taken) return;
  if (!out_of_date()) refresh();
  else bring_up_to_date();
}

void Reg_Profile::draw() {
  const qc::Profile_Axes axes = qc::profile_axes(profile_);
  const std::string unit = text::Text_Clean(program_.state.Unit_Name);
  Points_Label.caption = qc::points_text(profile_);
  if (const std::string above = qc::above_text(profile_, axes); !above.empty()) Points_Label.caption += "  " + above;
  Summary_Label.caption = qc::profile_summary(profile_, unit);
  Fit_Label.caption = qc::fit_text(profile_);
  Axis_Label.caption = "濃度" + (unit.empty() ? "" : " (" + unit + ")") + "  対数目盛";
  for (int k = 0; k <= 4; ++k) Tick[k].caption = text::Format(axes.cv_top * k / 4, "##0.0");

  const double decades = axes.decade_high - axes.decade_low;
  Chart.clear();
  Chart.scale(axes.decade_low, axes.cv_top, decades, -axes.cv_top * Chart_Height / Value_Height);
  Chart.draw_style = ui::Draw_Style::Dotted;
  for (int d = 0; d < Decade_Labels; ++d) {
    const int decade = axes.decade_low + d;
    const bool shown = decade <= axes.decade_high;
    Decade[d].visible = shown;
    if (!shown) continue;
    Decade[d].caption = qc::concentration_text(std::pow(10.0, decade));
    // Centred under its line; the first starts at the chart's left edge and the last ends at its
    // right edge, clear of the CV ticks and inside the window.
    const int at = Chart_Left + static_cast<int>(Chart_Width * d / decades);
    const bool first = d == 0, last = decade == axes.decade_high;
    Decade[d].alignment = first ? ui::Align::Left : last ? ui::Align::Right : ui::Align::Center;
    Decade[d].left = first ? at : last ? at - Decade[d].width : at - Decade[d].width / 2;
    Chart.line(decade, 0, decade, axes.cv_top, ui::Light_Grey);
  }
  for (int k = 0; k < 4; ++k)
    Chart.line(axes.decade_low, axes.cv_top * k / 4, axes.decade_high, axes.cv_top * k / 4, ui::Light_Grey);
  for (double c : {profile_.standard_low, profile_.standard_high})
    if (c > 0) Chart.line(std::log10(c), 0, std::log10(c), axes.cv_top, Grey);
  Chart.draw_style = ui::Draw_Style::Solid;
  draw_samples(axes);
  Chart.line(axes.decade_low, profile_.cv_limit, axes.decade_high, profile_.cv_limit, ui::Red);
  for (const auto& [low, high] : profile_.working_ranges) {
    const double a = std::log10(low), b = std::log10(high), y = axes.cv_top * 0.02;
    Chart.line(a, y, b, y, Range_Green);
    for (double x : {a, b}) Chart.line(x, 0, x, axes.cv_top * 0.06, Range_Green);
  }
  for (const auto& [a, b] : qc::profile_curve(profile_, axes))
    Chart.line(a.first, a.second, b.first, b.second, ui::Blue);
}

// Each sample as a point while there are few; else each cell of the plot shaded by the samples in
// it, drawn as horizontal strokes two pixels apart.
void Reg_Profile::draw_samples(const qc::Profile_Axes& axes) {
  const double decades = axes.decade_high - axes.decade_low;
  if (profile_.points.size() <= qc::Most_Points_Drawn) {
    const double radius = decades * 0.006;
    for (const qc::Profile_Point& point : profile_.points)
      if (point.cv <= axes.cv_top) Chart.circle_inside(std::log10(point.concentration), point.cv, radius, ui::Black);
    return;
  }
  const qc::Profile_Bins bins = qc::profile_bins(profile_, axes);
  const double cell_width = decades / qc::Bin_Columns, cell_height = axes.cv_top / qc::Bin_Rows;
  const int strokes = std::max(1, Chart_Height / qc::Bin_Rows / 30);
  for (int row = 0; row < qc::Bin_Rows; ++row)
    for (int column = 0; column < qc::Bin_Columns; ++column)
      if (const long count = bins.at(column, row); count > 0)
        for (int k = 0; k < strokes; ++k) {
          const double x = axes.decade_low + cell_width * column;
          const double y = axes.cv_top - cell_height * (row + (k + 0.5) / strokes);
          Chart.line(x, y, x + cell_width, y, qc::bin_shade(count, bins.most));
        }
}

}  // namespace quorin
