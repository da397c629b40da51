#include "support/random_assay.h"

#include <algorithm>
#include <cmath>

namespace quorin::testing {
namespace {

void clear(Assay_State& s) {
  s.STD_Count.fill(0);
  s.Sera_Count.fill(0);
  s.STD_Tube_N.fill(0);
  s.STD_Data.fill(0);
  s.STD_Conc.fill(0);
  s.Sera_Tube_N.fill(0);
  s.Sera_Conc.fill(0);
  s.Sera_Data.fill(0);
  for (Long i = 0; i <= Most_Random_Samples; ++i) {
    s.Sample_Tube_N(i) = 0;
    for (int j = 0; j <= Max_Tubes; ++j) {
      s.Sample_Count(i, j) = 0;
      s.Sample_Conc(i, j) = 0;
      if (j <= 5) s.Sample_Data(i, j) = 0;
    }
  }
  s.Fit_Available.fill(false);
}

// A count: mostly the expected one with scatter, sometimes 0, negative or huge.
Long random_count(std::mt19937& random, double expected) {
  switch (std::uniform_int_distribution<int>(0, 39)(random)) {
    case 0: return 0;
    case 1: return -static_cast<Long>(std::uniform_int_distribution<int>(1, 500)(random));
    case 2: return 2000000000;
    default: return static_cast<Long>(expected * std::uniform_real_distribution<double>(0.85, 1.15)(random));
  }
}

}  // namespace

void fill_random_assay(Assay_State& s, std::mt19937& random) {
  clear(s);
  std::uniform_real_distribution<double> unit(0, 1);
  auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  s.STD_Number = static_cast<Integer>(pick(1, 8));
  s.STD_Tubes = static_cast<Integer>(pick(1, 4));
  s.Sera_Number = static_cast<Integer>(pick(0, 3));
  s.Sera_Tubes = static_cast<Integer>(pick(1, 3));
  s.Sample_Number = pick(0, Most_Random_Samples);
  s.Sample_Tubes = static_cast<Integer>(pick(1, 4));
  s.Dilution_Factor = pick(0, 4) == 0 ? 0 : 10 * unit(random);

  double nsb = 100 + 900 * unit(random), b0 = 3000 + 20000 * unit(random);
  if (pick(0, 9) == 0) std::swap(nsb, b0);
  if (pick(0, 19) == 0) nsb = b0;
  const double ed50 = std::exp(4 * unit(random) - 2), hill = 0.5 + unit(random);
  auto response = [&](double c) { return nsb + (b0 - nsb) / (1 + std::pow(c / ed50, hill)); };

  const bool all_at_or_above_b0 = pick(0, 14) == 0;
  const int tubes = s.STD_Tubes;
  for (int j = 1; j <= tubes; ++j) {
    s.STD_Count(1, j) = random_count(random, nsb);
    s.STD_Count(2, j) = random_count(random, 30000);
    s.STD_Count(3, j) = random_count(random, b0);
  }
  double c = std::exp(3 * unit(random) - 3);
  for (int k = 1; k <= s.STD_Number; ++k) {
    if (pick(0, 5) != 0) c *= 1.5 + 3 * unit(random);  // otherwise equal to the one before
    s.STD_Data(3 + k, STD_Column::Concentration) = pick(0, 40) == 0 ? -unit(random) : c;
    const int measured = pick(0, 8) == 0 ? 1 : tubes;
    for (int j = 1; j <= measured; ++j)
      s.STD_Count(3 + k, j) = random_count(random, all_at_or_above_b0 ? std::max(nsb, b0) * 1.2 : response(c));
  }
  for (int m = 1; m <= s.Sera_Number; ++m)
    for (int j = 1; j <= s.Sera_Tubes; ++j) s.Sera_Count(m, j) = random_count(random, response(c * unit(random)));
  for (Long p = 1; p <= s.Sample_Number; ++p)
    for (int j = 1; j <= s.Sample_Tubes; ++j)
      s.Sample_Count(p, j) = random_count(random, response(2 * c * unit(random)));
}

}  // namespace quorin::testing
