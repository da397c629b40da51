// Timing of the 4PL and 5PL at the largest assay: both models fitted to 20 standards x 10 tubes
// (with the zero standard) under each weighting, the whole comparison the model screen shows,
// and 100,000 samples x 10 tubes read off the 4PL.

#include <cstdio>
#include <memory>

#include "bench_assay.h"
#include "bench_timing.h"
#include "engine/assay_state.h"
#include "engine/logistic_fit.h"
#include "engine/model_comparison.h"
#include "engine/regression.h"
#include "engine/samples.h"

int main() {
  using namespace quorin;
  auto state = std::make_unique<Assay_State>();
  Assay_State& s = *state;
  bench::fill_largest_assay(s);
  Regression(s);

  const char* const names[] = {"both models, no weighting (20 x 10)", "both models, counting statistics (20 x 10)",
                               "both models, constant CV (20 x 10)"};
  for (int weighting = 0; weighting < Model_Weightings; ++weighting) {
    Model_Fits fits;
    const double ms = bench::median_ms(51, [&] { fits = fit_models(s, weighting); });
    bench::report(names[weighting], ms, 50);
    std::printf("  4PL %s  5PL %s  (%zu points)\n", fits.four_pl.available ? "fitted" : fits.four_pl.problem.c_str(),
                fits.five_pl.available ? "fitted" : fits.five_pl.problem.c_str(), fits.points.points.size());
  }
  const double compare_ms = bench::median_ms(51, [&] { compare_models(s, 1); });
  bench::report("compare_models, counting statistics", compare_ms, 100);

  s.Curve_Model = Four_PL;
  s.Model_Weight = 1;
  const double fit_ms = bench::median_ms(51, [&] { make_curve_in_force(s); });
  bench::report("the 4PL as the curve in force, counting statistics", fit_ms, 50);
  const Curve_In_Force curve = *make_curve_in_force(s).curve;
  const double samples_ms = bench::median_ms(7, [&] { Assay_Samples(s, curve); });
  bench::report("Assay_Samples 100,000 x 10, 4PL", samples_ms, 200);
  std::printf("check: sample 1 mean %.6g, 4PL C %.6g\n", s.Sample_Data(1, Sample_Column::Mean), curve.model.C);
  return 0;
}
