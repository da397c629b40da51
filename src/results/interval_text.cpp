#include "results/interval_text.h"

#include "text/format.h"

namespace quorin {

namespace {

// The decimals the tables give the mean of the item (and a sample's value).
const char* bound_pattern(Result_Kind kind) { return kind == Result_Kind::Standard_Conc ? "0.00" : "0.000"; }

std::string bounds_text(const Concentration_Interval& interval, const char* pattern) {
  return text::Format(interval.lower, pattern) + " ～ " + text::Format(interval.upper, pattern);
}

}  // namespace

std::string interval_text(Result_Kind kind, const std::optional<Concentration_Interval>& interval,
                          double dilution_factor) {
  if (!interval) return "";
  const char* pattern = bound_pattern(kind);
  std::string shown = "95%区間 " + bounds_text(*interval, pattern);
  if (kind == Result_Kind::Sample)
    shown += " (サンプル値 " + bounds_text(diluted(*interval, dilution_factor), pattern) + ")";
  if (interval->assumed) shown += "  仮定: 標準点の散らばり";
  return shown;
}

}  // namespace quorin
