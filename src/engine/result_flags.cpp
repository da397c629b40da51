#include "engine/result_flags.h"

#include <algorithm>
#include <iterator>
#include <limits>

#include "engine/response.h"
#include "engine/samples.h"
#include "engine/weight_table.h"
#include "text/format.h"

namespace quorin {

namespace {

// The recovery of a standard's back-fitted mean that passes, in percent.
constexpr double Recovery_Low = 80;
constexpr double Recovery_High = 120;

constexpr struct {
  unsigned flag;
  const char* text;
} Flag_Texts[] = {{Flag::Above, ">"},    {Flag::Below, "<"},   {Flag::CV, "CV"},
                  {Flag::One_Tube, "1"}, {Flag::No_Tube, "×"}, {Flag::Recovery, "R"}};

const char* item_name(Result_Kind kind) {
  switch (kind) {
    case Result_Kind::Sera: return "管理血清";
    case Result_Kind::Sample: return "サンプル";
    default: return "スタンダード";
  }
}

}  // namespace

Flag_Limits flag_limits(const Assay_State& s, const Curve_In_Force* curve) {
  Flag_Limits limits;
  limits.cv_limit = s.Flag_CV_Limit;
  const int standards = std::clamp<int>(s.STD_Number, 0, Max_Standards);
  if (standards == 0) limits.highest = std::numeric_limits<double>::infinity();  // nothing to be above
  for (int k = 1; k <= standards; ++k) {
    const double conc = s.STD_Data(3 + k, STD_Column::Concentration);
    limits.lowest = k == 1 ? conc : std::min(limits.lowest, conc);
    limits.highest = k == 1 ? conc : std::max(limits.highest, conc);
  }
  const double sd = zero_standard_sd(s);
  if (curve != nullptr && sd > 0) {
    const double percent = tube_percent(s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count) - 2 * sd,
                                        s.STD_Data(STD_Row::NSB, STD_Column::Mean_Count),
                                        s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count));
    // The logit-log fit's limit as the curve screen gives it, from a response held to 1..99 %.
    limits.detection = sample_read_off(*curve)(curve->is_model() ? percent : clamp_percent(percent, 1, 99));
  }
  if (curve != nullptr) limits.unread_side = [curve = *curve](double percent) { return unread_side(curve, percent); };
  return limits;
}

Flag_Limits flag_limits(const Assay_State& s) {
  const Curve_Outcome outcome = make_curve_in_force(s);
  return flag_limits(s, outcome.curve ? &*outcome.curve : nullptr);
}

unsigned value_flags(double mean, double cv, int usable, const Flag_Limits& limits) {
  if (usable <= 0) return Flag::No_Tube;
  unsigned flags = 0;
  if (mean > limits.highest) flags |= Flag::Above;
  if (mean < limits.lowest || (limits.detection && mean < *limits.detection)) flags |= Flag::Below;
  if (cv > limits.cv_limit) flags |= Flag::CV;
  if (usable == 1) flags |= Flag::One_Tube;
  return flags;
}

int usable_tubes(const Assay_State& s, Result_Kind kind, Long item) {
  const auto i = static_cast<std::size_t>(item);
  int usable = 0;
  if (kind == Result_Kind::Sera) {
    for (int t = 1; t <= std::clamp<int>(s.Sera_Tube_N(i), 0, Max_Tubes); ++t)
      usable += s.Sera_Count(i, t) != 0 && s.Sera_Conc(i, t) > 0;
  } else if (kind == Result_Kind::Sample) {
    for (int t = 1; t <= std::clamp<int>(s.Sample_Tube_N(i), 0, Max_Tubes); ++t)
      usable += s.Sample_Count(i, t) != 0 && s.Sample_Conc(i, t) > 0;
  } else if (kind == Result_Kind::Standard_Conc) {
    for (int t = 1; t <= std::clamp<int>(s.STD_Tube_N(i + 3), 0, Max_Tubes); ++t)
      usable += s.STD_Count(i + 3, t) != 0 && s.STD_Conc(i + 3, t) > 0;
  }
  return usable;
}

unsigned unread_tube(const Assay_State& s, Result_Kind kind, Long item, int tube, const Flag_Limits& limits) {
  const auto i = static_cast<std::size_t>(item);
  const auto t = static_cast<std::size_t>(tube);
  Long count = 0;
  double concentration = 0;
  if (kind == Result_Kind::Sera) {
    count = s.Sera_Count(i, t);
    concentration = s.Sera_Conc(i, t);
  } else if (kind == Result_Kind::Sample) {
    count = s.Sample_Count(i, t);
    concentration = s.Sample_Conc(i, t);
  }
  if (count == 0 || concentration > 0) return 0;
  const double percent = tube_percent(count, s.STD_Data(STD_Row::NSB, STD_Column::Mean_Count),
                                      s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count));
  return limits.unread_side(percent) == Range_Side::Below ? Flag::Below : Flag::Above;
}

std::string side_text(unsigned flags) { return flags_text(flags & (Flag::Above | Flag::Below)); }

unsigned item_flags(const Assay_State& s, Result_Kind kind, Long item, const Flag_Limits& limits) {
  const auto i = static_cast<std::size_t>(item);
  const int usable = usable_tubes(s, kind, item);
  if (usable == 0 && (kind == Result_Kind::Sera || kind == Result_Kind::Sample)) {
    const int tubes = kind == Result_Kind::Sera ? s.Sera_Tube_N(i) : s.Sample_Tube_N(i);
    unsigned sides = 0;
    for (int t = 1; t <= std::clamp(tubes, 0, Max_Tubes); ++t) sides |= unread_tube(s, kind, item, t, limits);
    return sides != 0 ? sides : Flag::No_Tube;
  }
  switch (kind) {
    case Result_Kind::Sera:
      return value_flags(s.Sera_Data(i, Sera_Column::Mean), s.Sera_Data(i, Sera_Column::Conc_CV), usable, limits);
    case Result_Kind::Sample:
      return value_flags(s.Sample_Data(i, Sample_Column::Mean), s.Sample_Data(i, Sample_Column::Conc_CV), usable,
                         limits);
    case Result_Kind::Standard_Conc: {
      const double nominal = s.STD_Data(i + 3, STD_Column::Concentration);
      const double recovery = nominal > 0 ? 100 * s.STD_Data(i + 3, STD_Column::Back_Mean) / nominal : 0;
      return recovery < Recovery_Low || recovery > Recovery_High ? Flag::Recovery : 0;
    }
    case Result_Kind::Standard_Data: break;
  }
  return 0;
}

std::string flags_text(unsigned flags) {
  std::string text;
  for (const auto& f : Flag_Texts)
    if (flags & f.flag) text += (text.empty() ? "" : " ") + std::string(f.text);
  return text;
}

std::string flag_summary(const Assay_State& s, Result_Kind kind, const Flag_Limits& limits) {
  Long items = 0, flagged = 0;
  Long per_flag[std::size(Flag_Texts)] = {};
  const Long last = kind == Result_Kind::Sample ? std::clamp<Long>(s.Sample_Number, 0, Max_Samples)
                    : kind == Result_Kind::Sera ? std::clamp<int>(s.Sera_Number, 0, Max_Sera)
                                                : std::clamp<int>(s.STD_Number, 0, Max_Standards);
  for (Long i = 1; i <= last; ++i) {
    const int tubes = kind == Result_Kind::Sample ? s.Sample_Tube_N(i)
                      : kind == Result_Kind::Sera ? s.Sera_Tube_N(i)
                                                  : s.STD_Tube_N(i + 3);
    if (tubes <= 0 && kind != Result_Kind::Standard_Conc) continue;  // not listed
    ++items;
    const unsigned flags = item_flags(s, kind, i, limits);
    flagged += flags != 0;
    for (std::size_t f = 0; f < std::size(Flag_Texts); ++f) per_flag[f] += (flags & Flag_Texts[f].flag) != 0;
  }
  const std::string head = std::string(item_name(kind)) + " " + text::bare_text(items) + " 件";
  if (flagged == 0) return head + "にフラグはありません";
  std::string counts;
  for (std::size_t f = 0; f < std::size(Flag_Texts); ++f)
    if (per_flag[f] > 0)
      counts += (counts.empty() ? "" : ", ") + std::string(Flag_Texts[f].text) + " " + text::bare_text(per_flag[f]);
  return head + "中 " + text::bare_text(flagged) + " 件にフラグがあります (" + counts + ")";
}

}  // namespace quorin
