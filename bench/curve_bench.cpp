// Timing of the standard-curve numerics at the largest assay: 20 standards x 10 tubes and
// 100,000 samples x 10 tubes read off the cubic (the slowest choice: Newton steps per tube).

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>

#include "bench_timing.h"
#include "curve/fit_choice.h"
#include "curve/regression.h"
#include "curve/weight_table.h"
#include "data/samples.h"
#include "data/treatment_standard.h"
#include "state/assay_state.h"

namespace {

using namespace quorin;

void fill_largest_assay(Assay_State& s) {
  std::mt19937 random(1);
  std::uniform_real_distribution<double> scatter(0.95, 1.05);
  const double nsb = 300, b0 = 12000;
  s.STD_Number = 20;
  s.STD_Tubes = 10;
  for (int j = 1; j <= 10; ++j) {
    s.STD_Count(1, j) = Long(nsb * scatter(random));
    s.STD_Count(2, j) = 40000;
    s.STD_Count(3, j) = Long(b0 * scatter(random));
  }
  for (int k = 1; k <= 20; ++k) {
    const double concentration = 0.05 * std::pow(1.6, k - 1);
    s.STD_Data(3 + k, 0) = concentration;
    const double bound = nsb + (b0 - nsb) / (1 + std::pow(concentration / 5, 0.9));
    for (int j = 1; j <= 10; ++j) s.STD_Count(3 + k, j) = Long(bound * scatter(random));
  }
  s.Sample_Number = Max_Samples;
  s.Sample_Tubes = 10;
  s.Dilution_Factor = 2;
  std::uniform_real_distribution<double> response(nsb * 0.9, b0 * 1.02);
  for (Long i = 1; i <= Max_Samples; ++i)
    for (int j = 1; j <= 10; ++j) s.Sample_Count(i, j) = Long(response(random));
  Treatment_Standard(s);
  s.Fit_From = 1;
  s.Fit_To = 20;
}

}  // namespace

int main() {
  auto state = std::make_unique<Assay_State>();
  Assay_State& s = *state;
  fill_largest_assay(s);
  Weight_Grids grids;

  const double fit_ms = quorin::bench::median_ms(51, [&] {
    Regression(s);
    Weight_Table(s, grids);
  });
  quorin::bench::report("Regression + Weight_Table (20 standards x 10)", fit_ms, 5);

  for (int order : {1, 3}) {
    s.Weight_Type = 3;
    s.Reg_Order = static_cast<Integer>(order);
    const double samples_ms = quorin::bench::median_ms(7, [&] { Assay_Samples(s); });
    quorin::bench::report(order == 1 ? "Assay_Samples 100,000 x 10, straight line" : "Assay_Samples 100,000 x 10, cubic",
                          samples_ms, 200);
  }
  std::printf("check: sample 1 mean %.6g, ED50 of 重3 3次 %.6g\n", s.Sample_Data(1, 1), s.ED50_Value(fit_index(3, 3)));
  return 0;
}
