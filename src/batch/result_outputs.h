#pragma once
// What a batch run adds to the reduction for the lab: the counter's export read as counts, the
// sample identifiers, the flags' summary line and the CSV and Excel files of the results.

#include <string>

#include "batch/batch_options.h"

namespace quorin {
class Program;
}

namespace quorin::batch {

// Before any file is read: how the count file is read (--count-column, --id-column) and the CV
// limit of the flags (--cv-limit).
void apply_result_options(const Batch_Options& options, Program& program);

// Once the counts are in: the identifiers of --ids. "" when read (or none asked for; a list
// shorter than the samples is said on the way), else why not.
std::string load_ids_option(const Batch_Options& options, Program& program);

// Once the tables are computed: the flags' summary line, then the files of --csv and --xlsx.
// "" when all were written, else why one was not.
std::string write_result_exports(const Batch_Options& options, Program& program);

}  // namespace quorin::batch
