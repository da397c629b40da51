#pragma once
// A count data file loaded into the assay in force, as the data sheet's "データ読込" and the
// command line load it: read and checked whole first, then stored, the standards treated, and
// the user told what the file did beyond its counts.

#include <string>
#include <vector>

#include "data/count_file.h"

namespace quorin {

class Program;

// The file's counts, or the message why it cannot be loaded (nothing is stored then).
struct Loaded_Counts {
  Count_Items items;
  std::string message;
  std::vector<std::string> sample_ids;  // a counter's export's sample identifiers (1..), when read
};
Loaded_Counts read_counts(const std::string& path, const Assay_State& state);
// A counter's export read with the columns in force (Count_Column, Count_Id_Column).
Loaded_Counts read_counter_file(const std::string& path, const Assay_State& state);

// Stores counts a reader accepted under the conditions in force, the samples' identifiers with
// them (none of earlier samples stay), treats the standards and tells the user of tubes left
// empty or counts left over, negative counts, a changed number of samples and an end-of-file mark.
void store_loaded_counts(Program& program, const Loaded_Counts& loaded, const std::string& path);

}  // namespace quorin
