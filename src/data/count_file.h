#pragma once
// The count data file: one count per item, in the order of the data sheet's rows (standards,
// control sera, samples), items ending at a line end or a comma. Written one item per line: a
// nonzero count as " 1500 " or "-3 ", a zero count as an empty line, each line ended by CR LF.
// The assay's shape comes from the conditions in force; only the number of samples is taken
// from the file, whose sample section runs to its end.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "state/assay_state.h"

namespace quorin {

// Every item of a file as a whole number (the number at the item's start, rounded to the
// nearest, halves to even; 0 when the item does not begin with a number), read in one pass.
// When an item's number lies outside the 32-bit range, counts is empty and bad_line names the
// line of the first such item.
struct Count_Items {
  std::vector<Long> counts;
  std::size_t bad_line = 0;
};
Count_Items read_count_items(std::string_view bytes);

// Stores the counts into the tables in sheet order under the current conditions: the standard
// rows, the control sera, then samples 1, 2, ... as far as the counts go, setting Sample_Number
// to the last sample reached (it stays as it was when no sample item is there). Cells after the
// last count keep their values. Returns the number of counts that found no place: those beyond
// sample 100,000, or every sample count when the samples have no tubes.
std::size_t store_counts(Assay_State& state, const std::vector<Long>& counts);

// The file of the current counts: every tube of the sheet, Sample_Number samples included.
std::string count_file_bytes(const Assay_State& state);

}  // namespace quorin
