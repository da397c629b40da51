#include "qc/profile_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "text/format.h"
#include "text/text_clean.h"

namespace quorin::qc {

Profile_Axes profile_axes(const Precision_Profile& profile) {
  double low = profile.standard_low, high = profile.standard_high, cv = 0;
  for (const Profile_Point& point : profile.points) {
    low = low == 0 ? point.concentration : std::min(low, point.concentration);
    high = std::max(high, point.concentration);
    cv = std::max(cv, point.cv);
  }
  Profile_Axes axes;
  if (low > 0) {
    axes.decade_low = static_cast<int>(std::floor(std::log10(low)));
    axes.decade_high = std::max(axes.decade_low + 1, static_cast<int>(std::ceil(std::log10(high))));
  }
  const double limit = profile.cv_limit > 0 ? profile.cv_limit : Default_CV_Limit;
  axes.cv_top = std::clamp(std::ceil(cv * 1.1 / 5) * 5, 2 * limit, 5 * limit);
  return axes;
}

long points_above(const Precision_Profile& profile, const Profile_Axes& axes) {
  return std::count_if(profile.points.begin(), profile.points.end(),
                       [&axes](const Profile_Point& point) { return point.cv > axes.cv_top; });
}

std::string above_text(const Precision_Profile& profile, const Profile_Axes& axes) {
  const long above = points_above(profile, axes);
  if (above == 0) return "";
  return "CV が " + text::Format(axes.cv_top, "##0") + " % を超える検体 " + text::bare_text(above) + " 件は図の外です";
}

Profile_Bins profile_bins(const Precision_Profile& profile, const Profile_Axes& axes) {
  Profile_Bins bins;
  bins.counts.assign(static_cast<std::size_t>(Bin_Columns * Bin_Rows), 0);
  const double decades = axes.decade_high - axes.decade_low;
  for (const Profile_Point& point : profile.points) {
    if (point.cv > axes.cv_top) continue;
    const double across = (std::log10(point.concentration) - axes.decade_low) / decades;
    const int column = std::clamp(static_cast<int>(across * Bin_Columns), 0, Bin_Columns - 1);
    const int row = std::clamp(static_cast<int>((1 - point.cv / axes.cv_top) * Bin_Rows), 0, Bin_Rows - 1);
    long& count = bins.counts[static_cast<std::size_t>(row * Bin_Columns + column)];
    bins.most = std::max(bins.most, ++count);
  }
  return bins;
}

ui::Colour bin_shade(long count, long most) {
  const double share = most > 1 ? std::log(static_cast<double>(count)) / std::log(static_cast<double>(most)) : 1;
  const auto grey = static_cast<std::uint8_t>(std::lround(200 * (1 - share)));
  return {grey, grey, grey};
}

std::vector<std::pair<std::pair<double, double>, std::pair<double, double>>> profile_curve(
    const Precision_Profile& profile, const Profile_Axes& axes) {
  std::vector<std::pair<std::pair<double, double>, std::pair<double, double>>> pieces;
  if (!profile.fitted || profile.points.empty()) return pieces;
  constexpr int Steps = 200;
  const auto [lowest, highest] = std::minmax_element(
      profile.points.begin(), profile.points.end(),
      [](const Profile_Point& a, const Profile_Point& b) { return a.concentration < b.concentration; });
  const double from = std::log10(lowest->concentration), width = std::log10(highest->concentration) - from;
  auto at = [&](int step) {
    const double x = from + width * step / Steps;
    return std::pair{x, profile.fitted_cv(std::pow(10.0, x))};
  };
  auto inside = [&axes](const std::pair<double, double>& p) { return p.second >= 0 && p.second <= axes.cv_top; };
  for (int step = 1; step <= Steps; ++step) {
    const auto a = at(step - 1), b = at(step);
    if (inside(a) && inside(b)) pieces.push_back({a, b});
  }
  return pieces;
}

std::string fit_text(const Precision_Profile& profile) {
  if (!profile.fitted) return "";
  return "ln CV = α + β ln x + γ (ln x)²:  α = " + text::Format(profile.alpha, "0.0000") +
         "  β = " + text::Format(profile.beta, "0.0000") + "  γ = " + text::Format(profile.gamma, "0.0000");
}

std::string points_text(const Precision_Profile& profile) {
  return "検体 " + text::bare_text(static_cast<long long>(profile.points.size())) +
         " 件 (2 本以上の測定で濃度 CV が 0 より大きいもの)";
}

void Profile_PRT(const Assay_State& state, const Precision_Profile& profile, ui::Printer& printer) {
  constexpr double Left = 1500, Top = 1700, Width = 9000, Height = 6000, Mark = 50;
  // A CV of 0 stands this far above the frame's bottom, so that a sample's circle there is whole.
  constexpr double Value_Height = Height - 120;
  const Profile_Axes axes = profile_axes(profile);
  const double decades = axes.decade_high - axes.decade_low;
  auto X = [&](double log10_x) { return Left + Width * (log10_x - axes.decade_low) / decades; };
  auto Y = [&](double cv) { return Top + Value_Height * (1 - std::min(cv, axes.cv_top) / axes.cv_top); };
  auto text_at = [&printer](double x, double y, const std::string& text) {
    printer.set_position(x, y);
    printer.print(text, false);
  };
  const std::string unit = text::Text_Clean(state.Unit_Name);

  printer.set_font_size(14);
  text_at(0, 250, "精度プロファイル");
  printer.set_font_size(10);
  text_at(0, 750,
          "測定物質 " + state.Substance_Name + "   アッセイＮｏ " + state.Assay_No + "   実験日 " + state.Assay_Date);
  text_at(0, 1000, points_text(profile));
  text_at(0, 1250, "CV (%)");

  printer.rectangle(Left, Top, Left + Width, Top + Height);
  printer.set_font_size(8);
  for (int d = axes.decade_low; d <= axes.decade_high; ++d) {
    printer.set_draw_style(ui::Draw_Style::Dotted);
    printer.line(X(d), Top, X(d), Top + Height);
    // Each tick's label centred under it; the last one ends at the plot's right edge.
    const std::string label = concentration_text(std::pow(10.0, d));
    const double width = 80.0 * static_cast<double>(label.size());
    text_at(std::min(X(d) - width / 2, Left + Width - width), Top + Height + 60, label);
  }
  for (int k = 0; k <= 4; ++k) {
    const double cv = axes.cv_top * k / 4;
    if (k > 0 && k < 4 && cv != profile.cv_limit) printer.line(Left, Y(cv), Left + Width, Y(cv));
    text_at(Left - 700, Y(cv) - 100, text::Format(cv, "##0.0"));
  }
  text_at(Left + Width / 2 - 1000, Top + Height + 300, "濃度" + (unit.empty() ? "" : " (" + unit + ")") + " 対数目盛");
  // The standards' range dotted; the samples; the limit red, the working range and the fitted
  // profile solid, on top of the samples.
  for (double c : {profile.standard_low, profile.standard_high})
    if (c > 0) printer.line(X(std::log10(c)), Top, X(std::log10(c)), Top + Height);
  printer.set_draw_style(ui::Draw_Style::Solid);
  if (profile.points.size() > Most_Points_Drawn) {
    // A cell is shaded with horizontal strokes 20 twips apart.
    const Profile_Bins bins = profile_bins(profile, axes);
    constexpr double Cell_Width = Width / Bin_Columns, Cell_Height = Value_Height / Bin_Rows;
    for (int row = 0; row < Bin_Rows; ++row)
      for (int column = 0; column < Bin_Columns; ++column)
        if (const long count = bins.at(column, row); count > 0) {
          printer.set_colour(bin_shade(count, bins.most));
          for (double y = 10; y < Cell_Height; y += 20)
            printer.line(Left + Cell_Width * column, Top + Cell_Height * row + y, Left + Cell_Width * (column + 1),
                         Top + Cell_Height * row + y);
        }
    printer.set_colour(ui::Black);
  } else {
    for (const Profile_Point& point : profile.points)
      if (point.cv <= axes.cv_top) printer.circle(X(std::log10(point.concentration)), Y(point.cv), Mark);
  }
  printer.set_colour(ui::Red);
  printer.line(Left, Y(profile.cv_limit), Left + Width, Y(profile.cv_limit));
  printer.set_colour(ui::Black);
  for (const auto& [low, high] : profile.working_ranges) {
    const double y = Top + Height - 150;
    printer.line(X(std::log10(low)), y, X(std::log10(high)), y);
    for (double c : {low, high}) printer.line(X(std::log10(c)), y - 100, X(std::log10(c)), y + 100);
  }
  for (const auto& [a, b] : profile_curve(profile, axes))
    printer.line(X(a.first), Y(a.second), X(b.first), Y(b.second));

  printer.set_font_size(10);
  double y = Top + Height + 700;
  for (const std::string& line :
       {profile_summary(profile, unit), fit_text(profile),
        std::string("点線: 最低と最高の標準  赤線: CV の上限  下の横線: 測定範囲 (標準と検体の濃度の範囲内)"),
        above_text(profile, axes),
        std::string(profile.points.size() > Most_Points_Drawn ? "検体は小さな区画ごとの件数を濃淡で表しています"
                                                              : "")}) {
    if (!line.empty()) text_at(0, y, line);
    y += 250;
  }
  printer.end_document();
}

}  // namespace quorin::qc
