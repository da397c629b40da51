#pragma once
// The result tables.

namespace quorin {

enum class Result_Kind {
  Standard_Data = 0,  // NSB, TOTAL, the zero standard and every standard: counts, mean, CV, B/B0
  Standard_Conc = 1,  // the standards read back off the chosen curve
  Sera = 2,           // the control sera
  Sample = 3          // the samples
};

}  // namespace quorin
