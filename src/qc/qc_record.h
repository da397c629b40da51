#pragma once
// Keeping the assay's run in the history when its results are saved. The screens ask before a
// stored run of the same assay is replaced, naming when and where it was stored (No is the
// default); the command line replaces it and says so. The replaced values stay in the audit
// trail either way. A run that can be kept nowhere (the history file locked past the wait or not
// writable; the server and its outbox both failing) is told plainly as such.

#include "qc/qc_run.h"
#include "state/program.h"

namespace quorin::qc {

// Keeps `run` (its saved_at set) in the program's history; tells the user whatever went wrong.
Program::QC_History::Record record_run(Program& program, const QC_Run& run);

}  // namespace quorin::qc
