#pragma once
// The weighting comparison: the eight fits side by side as an ED table and a table of minimum
// detection limits, the texts the curve screen shows in its two grids.

#include <string>

#include "engine/assay_state.h"
#include "engine/fixed_array.h"

namespace quorin {

// Cell texts indexed (row, column) as the grids show them. Column 0 holds the row headings;
// columns 1..8 the fits in the order 重無1次, 重無3次, 重1 1次, 重1 3次, 重2 1次, 重2 3次, 重3 1次,
// 重3 3次 (weighting (c - 1) / 2, first order in odd columns), each headed in row 0.
struct Weight_Grids {
  // Row r = 1..101 is ED 101 - r: ED k is the concentration at logit 0.07 k - 3.5.
  Fixed_Table<std::string, 101, 8> ed;
  // Row d = 1..3 is the concentration whose response lies d SD of the zero standard below it.
  Fixed_Table<std::string, 3, 8> detection;
  // Column widths in twips, the same for both grids.
  Fixed_Array<int, 8> column_width;
};

// Standard deviation of the zero-standard counts (tubes 1..STD_Tube_N(3)); 0 with fewer than two
// tubes. The detection limits lie 1, 2 and 3 of it below the zero standard's mean count.
double zero_standard_sd(const Assay_State& state);

// Fills both grids for all eight fits from Reg_Coef and stores each fit's ED50 in ED50_Value
// (index as Fit_Available). Values are written with "0.00000". An unavailable fit's column
// stays empty and its ED50_Value is 0. An ED whose solver answer exceeds 700 (no representable
// concentration) is an empty cell, and as ED 50 gives ED50_Value 0; a detection limit there
// reads 0.00000.
//
// Weight_Type and Reg_Order are restored on return; Reg_Work slots 29..34 are left holding
// weighting 3's coefficients, the last processed (the caller loads the chosen fit afterwards).
void Weight_Table(Assay_State& state, Weight_Grids& grids);

}  // namespace quorin
