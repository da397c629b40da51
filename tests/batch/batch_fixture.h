#pragma once
// What the batch tests share: the example assay, a batch run in this process, and a scratch
// folder for the files a run writes.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "batch/run_batch.h"
#include "support/test_support.h"
#include "ui/recording_printer.h"

namespace quorin::testing {

const std::string Example_Conditions = QUORIN_SOURCE_DIR "/examples/cortisol.crx";
const std::string Example_Counts = QUORIN_SOURCE_DIR "/examples/cortisol_counts.txt";

// One batch run: its exit status, what it wrote to standard error, what it printed.
struct Batch_Outcome {
  int status = -1;
  std::string errors;
  ui::Recording_Printer printed;
};

// The same on the caller's outcome, whose printer may be set up to fail.
inline void run_in_process(const batch::Batch_Options& options, Batch_Outcome& outcome) {
  std::ostringstream errors;
  batch::Batch_Platform platform(outcome.printed, errors);
  outcome.status = batch::run_batch(options, platform);
  outcome.errors = errors.str();
}

inline Batch_Outcome run_in_process(const batch::Batch_Options& options) {
  Batch_Outcome outcome;
  run_in_process(options, outcome);
  return outcome;
}

class Batch_Test : public ::testing::Test {
 protected:
  // The example assay into "result.txt" of the scratch folder, the fit as given.
  batch::Batch_Options example(int weight = 0, int order = 1, std::optional<int> from = {}, std::optional<int> to = {},
                               int model = 0) const {
    batch::Batch_Options options;
    options.conditions = Example_Conditions, options.counts = Example_Counts, options.result = folder.file("result.txt");
    options.weight = weight, options.order = order, options.from = from, options.to = to, options.model = model;
    return options;
  }

  Scratch_Folder folder;
};

}  // namespace quorin::testing
