#pragma once
// How far the assay is from a standard curve: what the buttons of the screens may offer.

#include "engine/assay_state.h"

namespace quorin {

enum class Completeness {
  Nothing_To_Enter,       // no standards or no tubes at all
  Conditions_Incomplete,  // a standard without concentration
  Standard_Not_Measured,  // the zero standard or a standard whose counts add up to 0
  Complete
};

// Also recomputes Total_Tubes.
Completeness assay_completeness(Assay_State& state);

}  // namespace quorin
