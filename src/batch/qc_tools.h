#pragma once
// The command line's work on a control-serum history without an assay: deleting a run, sending
// the runs waiting for a history server, copying a history into another, checking its audit trail.

#include <iosfwd>
#include <string>
#include <vector>

namespace quorin::batch {

// Runs the action of `tool` ("--qc-delete DB SUBSTANCE ASSAY_NO DATE", "--qc-sync URI",
// "--qc-copy FROM TO", "--qc-audit DB [OUT.csv]"); the reason of a deletion is read as one line
// from `input`, the trail goes to `output` when no file is named. Tells the outcome on `errors`;
// returns the exit status.
int run_qc_tool(const std::vector<std::string>& tool, std::istream& input, std::ostream& output, std::ostream& errors);

}  // namespace quorin::batch
