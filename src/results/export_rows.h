#pragma once
// The rows the result exports (CSV and Excel) hold: one per standard, control serum and sample,
// each with its identifier, its values and its flags, from the tables as last computed.

#include <functional>
#include <optional>
#include <string>

#include "engine/assay_state.h"
#include "engine/concentration_interval.h"
#include "engine/result_flags.h"

namespace quorin {

struct Export_Row {
  Result_Kind kind = Result_Kind::Sample;  // Standard_Conc, Sera or Sample
  Long number = 0;
  std::string id;               // a sample's identifier, "" for none
  std::optional<double> mean;   // the mean concentration; none without a usable tube
  std::optional<double> value;  // a sample's mean times the dilution factor
  std::optional<double> cv;     // the concentration CV in percent
  int usable = 0;               // tubes that gave a concentration
  unsigned flags = 0;
  std::optional<Concentration_Interval> interval;        // the mean's 95 % interval, none where it has no meaning
  std::optional<Concentration_Interval> value_interval;  // a sample's: the mean's times the dilution factor
};

// "スタンダード", "管理血清", "サンプル".
const char* export_kind_name(Result_Kind kind);

// The mark of an interval in the exports' column "95%区間の前提": "仮定" for one that assumes the
// items scatter about the curve as the standards do (Concentration_Interval::assumed), "" for one
// of the variance model of the weighting and for none.
const char* interval_premise(const std::optional<Concentration_Interval>& interval);

// "" when the three tables were computed from the state in force, else why an export of them
// cannot be written: their intervals are read off the curve in force, which must be the curve
// the tables were read off.
std::string export_refusal(const Assay_State& state);

// Calls `row` for every standard, then every serum, then every sample, in number order. The
// intervals are those of the curve the state holds in force; with `intervals` false they are
// left none (what an export costs without them).
void for_each_export_row(const Assay_State& state, const Flag_Limits& limits,
                         const std::function<void(const Export_Row&)>& row, bool intervals = true);

}  // namespace quorin
