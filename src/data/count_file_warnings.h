#pragma once
// What a count file did beyond its counts, told once it has loaded: negative counts (naming the
// tubes) and the standards they leave with a negative mean, a number of samples that differs from
// the conditions (which follow it), and the items after a 0x1A byte that were not read.

#include "data/count_file.h"

namespace quorin {

class Program;

// After store_counts and Treatment_Standard; samples_before is Sample_Number before the load.
void report_count_file(Program& program, const Count_Items& items, Long samples_before);

}  // namespace quorin
