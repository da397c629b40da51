#include "engine/samples.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "engine/parallel.h"
#include "engine/response.h"
#include "engine/solve.h"

namespace quorin {
namespace {

// Samples a part has at the least: fewer are read faster than a thread is started.
constexpr long Least_Samples_Per_Part = 2000;

// Highest tube number among 1..tubes with a nonzero count; 0 when none.
int last_counted_tube(const Long* counts, int tubes) {
  for (int j = tubes; j >= 1; --j)
    if (counts[j] != 0) return j;
  return 0;
}

// CV of the counts of tubes 1..last, empty tubes inside included.
double count_cv(const Long* counts, int last) {
  Running_Stats stats;
  for (int j = 1; j <= last; ++j) stats.add(counts[j]);
  return stats.cv();
}

// The number of leading standards (in the order entered) whose concentration is not above the
// mean; with ascending standards, the number of standards at or below it.
int area_code(const Assay_State& s, double mean) {
  const int standards = std::clamp<int>(s.STD_Number, 0, Max_Standards);
  for (int k = 1; k <= standards; ++k)
    if (s.STD_Data(3 + k, STD_Column::Concentration) > mean) return k - 1;
  return standards;
}

// The read-off of a counted sample tube by its count. A tube's concentration depends on its count
// alone, and the counts of the samples lie mostly between the NSB and the zero-standard means: a
// large assay reads every whole count of that range once, into a table (in parts, at once),
// instead of every tube. A range wider than half the tubes is not worth it: each tube is then
// read by itself, as is a count outside the range.
class Read_Off_By_Count {
 public:
  Read_Off_By_Count(const Tube_Read_Off& read_off, double nsb, double b0, long tubes, int parts) : read_off_(read_off) {
    const double low = std::ceil(std::min(nsb, b0)), high = std::floor(std::max(nsb, b0));
    if (!(high - low < tubes / 2.0)) return;
    first_ = static_cast<Long>(low);
    table_.resize(static_cast<std::size_t>(high - low) + 1);
    for_each_part(0, static_cast<long>(table_.size()) - 1, parts, [&](int, long from, long to) {
      for (long k = from; k <= to; ++k) {
        const Long count = first_ + static_cast<Long>(k);
        const std::optional<double> read = count != 0 ? read_off(tube_percent(count, nsb, b0)) : std::nullopt;
        table_[static_cast<std::size_t>(k)] = read.value_or(Unread);
      }
    });
  }

  std::optional<double> operator()(Long count, double percent) const {
    const auto k = static_cast<std::size_t>(static_cast<long long>(count) - first_);
    if (k >= table_.size()) return read_off_(percent);
    const double read = table_[k];
    return std::isnan(read) ? std::nullopt : std::optional<double>(read);
  }

 private:
  static constexpr double Unread = std::numeric_limits<double>::quiet_NaN();  // no concentration
  const Tube_Read_Off& read_off_;
  Long first_ = 0;
  std::vector<double> table_;
};

}  // namespace

Tube_Read_Off sample_read_off(const Curve_In_Force& curve) {
  if (curve.is_model()) return [model = curve.model](double percent) { return model.concentration(percent); };
  return [line = curve.line](double percent) -> std::optional<double> {
    if (!(percent > 0 && percent < 100)) return std::nullopt;
    return concentration_of(solve_curve(line, logit(percent)).x);
  };
}

Tube_Read_Off serum_read_off(const Curve_In_Force& curve) {
  if (curve.is_model())
    return [model = curve.model](double percent) { return model.concentration(percent).value_or(0); };
  return [line = curve.line](double percent) {
    return concentration_of(solve_curve(line, logit(clamp_percent(percent, 0.5, 99.5))).x);
  };
}

Range_Side unread_side(const Curve_In_Force& curve, double percent) {
  if (!curve.is_model()) return unread_side(percent);
  // The share of the way from D to A: 1 or more at the top, whichever way the curve runs.
  const double share = (percent - curve.model.D) / (curve.model.A - curve.model.D);
  return share >= 1 ? Range_Side::Below : Range_Side::Above;
}

Range_Side unread_side(double percent) { return percent >= 100 ? Range_Side::Below : Range_Side::Above; }

bool dilution_factor_valid(const Assay_State& s) { return std::isfinite(s.Dilution_Factor) && s.Dilution_Factor > 0; }

bool Assay_Samples(Assay_State& s, const Curve_In_Force& curve) {
  if (s.Sample_Number > 0 && !dilution_factor_valid(s)) return false;
  install_curve(s, curve);
  const Long samples = std::clamp<Long>(s.Sample_Number, 0, Max_Samples);
  read_samples(s, sample_read_off(curve), part_count(samples, Least_Samples_Per_Part));
  return true;
}

void read_samples(Assay_State& s, const Tube_Read_Off& read_off, int parts) {
  const double nsb = s.STD_Data(STD_Row::NSB, STD_Column::Mean_Count);
  const double b0 = s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count);
  const Long samples = std::clamp<Long>(s.Sample_Number, 0, Max_Samples);
  const int tubes = std::clamp<int>(s.Sample_Tubes, 0, Max_Tubes);
  const Read_Off_By_Count read_count(read_off, nsb, b0, static_cast<long>(samples) * tubes, parts);
  // Each part writes the rows of its own samples only.
  for_each_part(1, samples, parts, [&](int, long first, long last) {
    for (Long i = static_cast<Long>(first); i <= last; ++i) {
      const Long* counts = s.Sample_Count.row(i);
      double* concentrations = s.Sample_Conc.row(i);
      double* data = s.Sample_Data.row(i);
      const int last_counted = last_counted_tube(counts, tubes);
      s.Sample_Tube_N(i) = static_cast<Integer>(last_counted);

      Running_Stats usable;
      for (int j = 1; j <= tubes; ++j) {
        std::optional<double> concentration;
        if (counts[j] != 0) concentration = read_count(counts[j], tube_percent(counts[j], nsb, b0));
        concentrations[j] = concentration.value_or(0);
        if (concentration) usable.add(*concentration);
      }
      data[Sample_Column::Mean] = usable.mean();
      data[Sample_Column::Range] = usable.n == 0 ? 0 : usable.spread();
      data[Sample_Column::Value] = usable.n == 0 ? 0 : data[Sample_Column::Mean] * s.Dilution_Factor;
      data[Sample_Column::Conc_CV] = usable.cv();
      data[Sample_Column::Area_Code] = area_code(s, data[Sample_Column::Mean]);
      data[Sample_Column::Count_CV] = count_cv(counts, last_counted);
    }
  });
}

void Control_Sera(Assay_State& s, const Curve_In_Force& curve) {
  install_curve(s, curve);
  read_sera(s, serum_read_off(curve));
}

void read_sera(Assay_State& s, const Tube_Read_Off& read_off) {
  const double nsb = s.STD_Data(STD_Row::NSB, STD_Column::Mean_Count);
  const double b0 = s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count);
  const int sera = std::clamp<int>(s.Sera_Number, 0, Max_Sera);
  const int tubes = std::clamp<int>(s.Sera_Tubes, 0, Max_Tubes);
  for (int i = 1; i <= sera; ++i)
    s.Sera_Tube_N(i) = static_cast<Integer>(last_counted_tube(s.Sera_Count.row(i), tubes));

  for (int i = 1; i <= sera; ++i) {
    const Long* counts = s.Sera_Count.row(i);
    const int last = s.Sera_Tube_N(i);
    Running_Stats usable;
    for (int j = 1; j <= last; ++j) {
      std::optional<double> concentration;
      if (counts[j] != 0) concentration = read_off(tube_percent(counts[j], nsb, b0));
      s.Sera_Conc(i, j) = concentration.value_or(0);
      if (concentration) usable.add(*concentration);
    }
    s.Sera_Data(i, Sera_Column::Mean) = usable.mean();
    s.Sera_Data(i, Sera_Column::Range) = usable.n == 0 ? 0 : usable.spread();
    s.Sera_Data(i, Sera_Column::Conc_CV) = usable.cv();
    s.Sera_Data(i, Sera_Column::Count_CV) = count_cv(counts, last);
  }
}

}  // namespace quorin
