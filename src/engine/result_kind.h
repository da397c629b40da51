#pragma once
// The result tables.

#include "engine/assay_state.h"

namespace quorin {

// The numbers of the three printable tables are their Result_Table values.
enum class Result_Kind {
  Standard_Data = 0,  // NSB, TOTAL, the zero standard and every standard: counts, mean, CV, B/B0
  Standard_Conc = 1,  // the standards read back off the chosen curve
  Sera = 2,           // the control sera
  Sample = 3          // the samples
};

// The number of items of a table: STD_Number + 3 standard rows, STD_Number standards,
// Sera_Number sera or Sample_Number samples (held to the bounds of the assay state).
Long item_count(const Assay_State& state, Result_Kind kind);

}  // namespace quorin
