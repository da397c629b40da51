#include "curve/samples.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "curve/response.h"
#include "curve/solve.h"
#include "models/result_curve.h"

namespace quorin {
namespace {

// The concentration the current curve gives a logit, if any.
std::optional<double> read_off_curve(Assay_State& s, double logit_value) {
  s.Target_Logit = logit_value;
  Solution_of_Equations(s);
  return concentration_of(s.Reg_Work(38));
}

// A sample tube's concentration: on the logit-log fit only for a response strictly between 0 and
// 100 %; on a 4PL or 5PL only strictly between its D and A.
std::optional<double> sample_concentration(Assay_State& s, double percent) {
  if (model_in_use(s)) return model_concentration(s, percent);
  if (percent > 0 && percent < 100) return read_off_curve(s, logit(percent));
  return std::nullopt;
}

// A control-serum tube's concentration: on the logit-log fit its response clamped to 0.5..99.5 %;
// on a 4PL or 5PL a response outside the range between D and A counts as concentration 0.
std::optional<double> serum_concentration(Assay_State& s, double percent) {
  if (model_in_use(s)) return model_concentration(s, percent).value_or(0);
  return read_off_curve(s, logit(clamp_percent(percent, 0.5, 99.5)));
}

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
    if (s.STD_Data(3 + k, 0) > mean) return k - 1;
  return standards;
}

}  // namespace

bool dilution_factor_valid(const Assay_State& s) { return std::isfinite(s.Dilution_Factor) && s.Dilution_Factor > 0; }

bool Assay_Samples(Assay_State& s) {
  if (s.Sample_Number > 0 && !dilution_factor_valid(s)) return false;
  if (!use_result_curve(s)) return false;
  const double nsb = s.STD_Data(1, 1);
  const double b0 = s.STD_Data(3, 1);
  const Long samples = std::clamp<Long>(s.Sample_Number, 0, Max_Samples);
  const int tubes = std::clamp<int>(s.Sample_Tubes, 0, Max_Tubes);
  for (Long i = 1; i <= samples; ++i) {
    const Long* counts = s.Sample_Count.row(i);
    double* concentrations = s.Sample_Conc.row(i);
    double* data = s.Sample_Data.row(i);
    const int last = last_counted_tube(counts, tubes);
    s.Sample_Tube_N(i) = static_cast<Integer>(last);

    Running_Stats usable;
    for (int j = 1; j <= tubes; ++j) {
      std::optional<double> concentration;
      const double percent = tube_percent(counts[j], nsb, b0);
      if (counts[j] != 0) concentration = sample_concentration(s, percent);
      concentrations[j] = concentration.value_or(0);
      if (concentration) usable.add(*concentration);
    }
    data[1] = usable.mean();
    data[2] = usable.n == 0 ? 0 : usable.spread();
    data[3] = usable.n == 0 ? 0 : data[1] * s.Dilution_Factor;
    data[4] = usable.cv();
    data[0] = area_code(s, data[1]);
    data[5] = count_cv(counts, last);
  }
  return true;
}

bool Control_Sera(Assay_State& s) {
  if (!use_result_curve(s)) return false;
  const double nsb = s.STD_Data(1, 1);
  const double b0 = s.STD_Data(3, 1);
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
      if (counts[j] != 0) concentration = serum_concentration(s, tube_percent(counts[j], nsb, b0));
      s.Sera_Conc(i, j) = concentration.value_or(0);
      if (concentration) usable.add(*concentration);
    }
    s.Sera_Data(i, 1) = usable.mean();
    s.Sera_Data(i, 2) = usable.n == 0 ? 0 : usable.spread();
    s.Sera_Data(i, 3) = usable.cv();
    s.Sera_Data(i, 5) = count_cv(counts, last);
  }
  return true;
}

}  // namespace quorin
