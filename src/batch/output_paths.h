#pragma once
// The files a batch run writes must each be a file of its own: none may be an input or one of the
// program's own files (its outboxes, its settings), and no two of them may be one file, however
// the paths spell it.

#include <string>

#include "batch/batch_options.h"

namespace quorin::batch {

// Why the run's outputs (result file, report, history) would overwrite an input or one another,
// or "" when every output is a file of its own.
std::string output_clash(const Batch_Options& options);

}  // namespace quorin::batch
