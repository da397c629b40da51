#pragma once
// What the batch tests share: the example assay, a batch run in this process, and a scratch
// folder for the files a run writes.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "batch/run_batch.h"
#include "support/test_support.h"
#include "ui/recording_printer.h"

namespace quorin::testing {

// One batch run: its exit status, what it wrote to standard error, what it printed.
struct Batch_Outcome {
  int status = -1;
  std::string errors;
  ui::Recording_Printer printed;
};

// A batch run in this process, its report refused its place with `refusal` when one is given.
inline Batch_Outcome run_in_process(const batch::Batch_Options& options, const std::string& refusal = "") {
  Batch_Outcome outcome;
  outcome.printed.failing_commit_with = refusal;
  std::ostringstream errors;
  batch::Batch_Platform platform(outcome.printed, errors);
  outcome.status = batch::run_batch(options, platform);
  outcome.errors = errors.str();
  return outcome;
}

// What a shell command writes to its standard output.
inline std::string piped(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::string bytes;
  char buffer[4096];
  for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) bytes.append(buffer, n);
  return bytes;
}

// A member of a zip archive as unzip extracts it.
inline std::string unzipped(const std::string& archive, const std::string& member) {
  return piped("unzip -p '" + archive + "' '" + member + "'");
}

// Every `what` in the text replaced by `by`.
inline void replace_all(std::string& text, const std::string& what, const std::string& by) {
  for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += by.size())
    text.replace(at, what.size(), by);
}

// The bytes with the first `what` replaced by `by`.
inline std::string replaced(std::string bytes, const std::string& what, const std::string& by) {
  return bytes.replace(bytes.find(what), what.size(), by);
}

class Batch_Test : public ::testing::Test {
 protected:
  // The example assay into "result.txt" of the scratch folder, the fit as given.
  batch::Batch_Options example(int weight = 0, int order = 1, std::optional<int> from = {}, std::optional<int> to = {},
                               int model = 0) const {
    batch::Batch_Options options;
    options.conditions = Example_Conditions, options.counts = Example_Counts,
    options.result = folder.file("result.txt");
    options.weight = weight, options.order = order, options.from = from, options.to = to, options.model = model;
    return options;
  }

  Scratch_Folder folder;
};

}  // namespace quorin::testing
