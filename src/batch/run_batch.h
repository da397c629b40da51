#pragma once
// Reduces one assay without a window system, on the engine the screens stand on, taking the steps
// a user takes through them: load the condition file and the count data file, plot the
// standards, fit the curves over every standard and then over the regression range asked for,
// choose the fit (and, for a 4PL or 5PL, its weighting and the model), compute the three result
// tables and save the result file; with a report asked for, print the whole report (what the
// results screen's "一括印刷" prints) first. Each step says what the screens say on the way. At
// the first step that fails the run stops with a message saying what could not be done (after
// any message saying why), and nothing is saved: the result file is written, in one piece, only
// as the last step, and the report's file, complete and closed beside its place, replaces an
// earlier one only after that. No screen and no scratch file is made.

#include "batch/batch_options.h"
#include "batch/batch_platform.h"

namespace quorin::batch {

// Exit_Done, Exit_Failed, Exit_Saved_Without_Report when the report could not take its place after
// the result file was saved, Exit_LIS_Waiting when the result file and the report were saved but
// messages for --lis were left undelivered, or Exit_Usage when an output would overwrite an input
// or another output, or the LIS messages lack a lab's name.
int run_batch(const Batch_Options& options, Batch_Platform& platform);

}  // namespace quorin::batch
