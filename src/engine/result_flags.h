#pragma once
// The flags of the results: what a reader of a value must know before trusting it. A control
// serum or sample may be read above the highest standard (">"), below the lowest standard or the
// curve's 2 SD detection limit ("<"), with replicates that disagree ("CV"), from one usable tube
// ("1"); one whose tubes were counted but none could be read off the curve carries the side of
// the curve's range they lie beyond ("<" or ">"), and one without a counted tube "×". A standard
// whose back-fitted mean recovers outside 80..120 % of its concentration carries "R".

#include <functional>
#include <optional>
#include <string>

#include "engine/assay_state.h"
#include "engine/result_curve.h"
#include "engine/result_kind.h"
#include "engine/samples.h"

namespace quorin {

inline constexpr double Default_Flag_CV_Limit = 10;  // percent

namespace Flag {
inline constexpr unsigned Above = 1;
inline constexpr unsigned Below = 2;
inline constexpr unsigned CV = 4;
inline constexpr unsigned One_Tube = 8;
inline constexpr unsigned No_Tube = 16;
inline constexpr unsigned Recovery = 32;
}  // namespace Flag

// What the flags of the sera and samples are judged against.
struct Flag_Limits {
  double lowest = 0;                // the lowest and highest standard concentration; without standards
  double highest = 0;               // nothing is above or below them
  std::optional<double> detection;  // 2 SD below the zero standard, read off the curve in use
  double cv_limit = Default_Flag_CV_Limit;
  // The side of the curve's range a counted tube that gave no concentration lies beyond, by its
  // B/B0 in percent; without a curve, by the B/B0 alone.
  std::function<Range_Side(double percent)> unread_side = [](double percent) { return quorin::unread_side(percent); };
};

// The limits of the assay in force; without a curve there is no detection limit. The second
// form makes the curve in force from the state (a 4PL or 5PL is fitted afresh).
Flag_Limits flag_limits(const Assay_State& state, const Curve_In_Force* curve);
Flag_Limits flag_limits(const Assay_State& state);

// The flags of one read-off item: its mean concentration, its concentration CV (percent) and
// its usable tubes. A value exactly at a limit is not flagged. With no usable tube only "×".
unsigned value_flags(double mean, double cv, int usable, const Flag_Limits& limits);

// The flags of item i of a table (a serum, a sample, or standard i of the standard
// concentrations; the standard data carries none). A tube is usable when it was counted and read
// a concentration above 0. A serum or sample without a usable tube carries the sides its counted
// tubes lie beyond (Flag::Below, Flag::Above), or Flag::No_Tube when none was counted.
unsigned item_flags(const Assay_State& state, Result_Kind kind, Long item, const Flag_Limits& limits);
int usable_tubes(const Assay_State& state, Result_Kind kind, Long item);

// Flag::Below or Flag::Above for tube t of a serum or sample that was counted and gave no
// concentration (its side of the curve's range); 0 for a tube that was read or not counted.
unsigned unread_tube(const Assay_State& state, Result_Kind kind, Long item, int tube, const Flag_Limits& limits);

// The side of an item without a usable tube, or of an unread tube, as shown in place of its
// concentration: "<", ">", "< >" ("" when the flags hold neither).
std::string side_text(unsigned flags);

// The flags as shown: "> CV 1", "×", "R", "" for none.
std::string flags_text(unsigned flags);

// One line over the flagged items of a table: "サンプル 50 件中 4 件にフラグがあります (> 2, CV 2)",
// "サンプル 50 件にフラグはありません".
std::string flag_summary(const Assay_State& state, Result_Kind kind, const Flag_Limits& limits);

}  // namespace quorin
