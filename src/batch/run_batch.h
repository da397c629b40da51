#pragma once
// Reduces one assay without a window system by doing on the screens what a user does: load the
// condition file and the count data file, show the standard plot and the fitted curves, set the
// regression range, choose the fit (and, for a 4PL or 5PL, the model and its weighting on the model
// screen), ask for the three result tables and save the result file; with a report asked for,
// print the whole report (what the results screen's "一括印刷" prints) first. Each step is checked
// from the program's state; at the first that fails the run stops with a message saying what
// could not be done (after any message of the screens saying why), and nothing is saved: the
// result file is written, in one piece, only as the last step, and the report's file, complete
// and closed beside its place, replaces an earlier one only after that. The data sheet's scratch
// file is one no folder holds, so that a run killed at any moment leaves nothing.

#include "batch/batch_options.h"
#include "batch/batch_platform.h"

namespace quorin::batch {

// Exit_Done, Exit_Failed, Exit_Saved_Without_Report when the report could not take its place after
// the result file was saved, or Exit_Usage when an output would overwrite an input or another output.
int run_batch(const Batch_Options& options, Batch_Platform& platform);

}  // namespace quorin::batch
