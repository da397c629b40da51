#pragma once
// A count data file loaded into the assay in force, as the data sheet's "データ読込" and the
// command line load it: read and checked whole first, then stored, the standards treated, and
// the user told what the file did beyond its counts.

#include <string>

#include "data/count_file.h"

namespace quorin {

class Program;

// The file's counts, or the message why it cannot be loaded (nothing is stored then).
struct Loaded_Counts {
  Count_Items items;
  std::string message;
};
Loaded_Counts read_counts(const std::string& path, const Assay_State& state);

// Stores counts read_counts accepted under the conditions in force, treats the standards and
// tells the user of tubes left empty or counts left over, negative counts, a changed number of
// samples and an end-of-file mark.
void store_loaded_counts(Program& program, const Count_Items& items, const std::string& path);

}  // namespace quorin
