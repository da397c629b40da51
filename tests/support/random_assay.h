#pragma once
// Random assays for the property tests: mostly competitive curves with replicate scatter, and
// sometimes what a laboratory also meets (NSB at or above B0, every standard at or above B0,
// equal concentrations, zero, negative, huge and single counts, a negative concentration, no
// dilution factor).

#include <random>

#include "engine/assay_state.h"

namespace quorin::testing {

constexpr Long Most_Random_Samples = 12;

// Clears what a random assay may have written, then fills `s` with a new one (counts and
// concentrations, untreated).
void fill_random_assay(Assay_State& s, std::mt19937& random);

}  // namespace quorin::testing
