#pragma once
// The picture of a precision profile, the same on screen and on paper: the concentration on a
// logarithmic axis of whole decades, the CV from 0 up; the samples as points, the fitted
// profile, the CV limit, the lowest and highest standard and the working range.

#include <string>
#include <utility>
#include <vector>

#include "engine/precision_profile.h"
#include "ui/printer.h"

namespace quorin::qc {

struct Profile_Axes {
  int decade_low = 0, decade_high = 1;   // the x axis runs from 10^decade_low to 10^decade_high
  double cv_top = 2 * Default_CV_Limit;  // the CV at the top of the plot
};

// Decades that hold every point and every standard; a CV top of at least twice the limit that
// shows the points up to five times the limit (points above are left out and counted).
Profile_Axes profile_axes(const Precision_Profile& profile);

// The samples above the plot's top, which it leaves out.
long points_above(const Precision_Profile& profile, const Profile_Axes& axes);
// "CV が 50 % を超える検体 12 件は図の外です", or "" when there is none.
std::string above_text(const Precision_Profile& profile, const Profile_Axes& axes);

// Beyond this many samples the plot shows how many fall in each small cell instead of each point,
// which would run together into one blot.
inline constexpr std::size_t Most_Points_Drawn = 2000;
// The plot divided into Bin_Columns × Bin_Rows cells; the samples in each (those shown).
inline constexpr int Bin_Columns = 90, Bin_Rows = 60;
struct Profile_Bins {
  std::vector<long> counts;  // row by row from the top, left to right
  long most = 0;
  long at(int column, int row) const { return counts[static_cast<std::size_t>(row * Bin_Columns + column)]; }
};
Profile_Bins profile_bins(const Precision_Profile& profile, const Profile_Axes& axes);
// The grey of a cell holding `count` of at most `most` samples: light for one, black for the most.
ui::Colour bin_shade(long count, long most);

// The fitted profile as line pieces in (log10 concentration, CV), where it lies inside the plot,
// across the concentrations of the samples.
std::vector<std::pair<std::pair<double, double>, std::pair<double, double>>> profile_curve(
    const Precision_Profile& profile, const Profile_Axes& axes);

// "ln CV = α + β ln x + γ (ln x)²:  α = 2.1234  β = -0.5123  γ = 0.0812", or "" before a fit.
std::string fit_text(const Precision_Profile& profile);
// "検体 23 件 (2 本以上の測定で CV が 0 より大きいもの)".
std::string points_text(const Precision_Profile& profile);

// The profile on one page, with the assay's identification.
void Profile_PRT(const Assay_State& state, const Precision_Profile& profile, ui::Printer& printer);

}  // namespace quorin::qc
