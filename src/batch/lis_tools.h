#pragma once
// The command line's work on the LIS outbox without an assay: "--lis-sync HOST:PORT" sends the
// messages waiting for that LIS.

#include <iosfwd>

#include "lis/lis_result.h"

namespace quorin::batch {

// Sends what waits for the LIS and tells the outcome on `errors`; returns the exit status: done,
// LIS messages left waiting, or failed (the outbox could not be used, or a damaged one was set aside).
int run_lis_sync(const lis::LIS_Link& link, std::ostream& errors);

}  // namespace quorin::batch
