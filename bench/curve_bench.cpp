// Timing of the standard-curve numerics at the largest assay: 20 standards x 10 tubes and
// 100,000 samples x 10 tubes read off the cubic (the slowest choice: Newton steps per tube).

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>

#include "bench_assay.h"
#include "bench_timing.h"
#include "engine/assay_state.h"
#include "engine/fit_choice.h"
#include "engine/regression.h"
#include "engine/samples.h"
#include "engine/treatment_standard.h"
#include "engine/weight_table.h"

namespace {

using namespace quorin;

}  // namespace

int main() {
  auto state = std::make_unique<Assay_State>();
  Assay_State& s = *state;
  bench::fill_largest_assay(s);
  Weight_Grids grids;

  const double fit_ms = quorin::bench::median_ms(51, [&] {
    Regression(s);
    Weight_Table(s, grids);
  });
  quorin::bench::report("Regression + Weight_Table (20 standards x 10)", fit_ms, 5);

  for (int order : {1, 3}) {
    s.Weight_Type = 3;
    s.Reg_Order = static_cast<Integer>(order);
    const quorin::Curve_In_Force curve = *quorin::make_curve_in_force(s).curve;
    const double samples_ms = quorin::bench::median_ms(7, [&] { Assay_Samples(s, curve); });
    quorin::bench::report(
        order == 1 ? "Assay_Samples 100,000 x 10, straight line" : "Assay_Samples 100,000 x 10, cubic", samples_ms,
        200);
  }
  std::printf("check: sample 1 mean %.6g, ED50 of 重3 3次 %.6g\n", s.Sample_Data(1, Sample_Column::Mean),
              s.ED50_Value(fit_index(3, 3)));
  return 0;
}
