#pragma once
// The command line's work for the LIS: "--lis-sync HOST:PORT" sends the messages waiting for that
// LIS; a batch run's "--hl7 FILE" writes the samples' messages into a file and "--lis HOST:PORT"
// sends them, once the result file is saved.

#include <iosfwd>
#include <string>

#include "batch/batch_options.h"
#include "lis/lis_result.h"
#include "results/lis_rows.h"

namespace quorin::batch {

class Batch_Platform;

// Sends what waits for the LIS and tells the outcome on `errors`; returns the exit status: done,
// LIS messages left undelivered (waiting, or a damaged outbox set aside, as a batch run tells it), or
// failed (the outbox could not be used).
int run_lis_sync(const lis::LIS_Link& link, std::ostream& errors);

// The lab's settings of a run with --hl7 or --lis: those the screens saved, with the command
// line's names, address and time-out over them. "" when every name is given, else why the run
// cannot make its messages (naming the options, and a settings file that could not be read).
std::string batch_lis_settings(const Batch_Options& options, lis::LIS_Settings& settings);

// Before the result file is saved: the samples left out told, the messages made once into
// `rows.messages` and, for --hl7, written. "" or why not (the run then saves nothing).
std::string prepare_lis_outputs(const Batch_Options& options, const lis::LIS_Settings& settings, LIS_Rows& rows,
                                Batch_Platform& platform);

// After the result file is saved, for --lis: the messages of prepare_lis_outputs sent, the outcome
// told. True when any message (of this run or an earlier one) is left undelivered.
bool send_lis_option(const lis::LIS_Settings& settings, const LIS_Rows& rows, Batch_Platform& platform);

}  // namespace quorin::batch
