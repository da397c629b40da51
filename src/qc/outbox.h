#pragma once
// Runs waiting for a history server. Every run for a server is first put in the outbox, an
// SQLite history of its own beside the default history file (one per server URI), and then
// sent: the runs waiting go in the order they were saved, each taken out only after the server
// has committed it. A program killed between the two leaves the run waiting; sent again, it
// replaces itself (the same assay, the same time saved), so it arrives once.

#include <string>
#include <vector>

#include "qc/history_store.h"

namespace quorin::qc {

// The outbox file for the server `uri`: <folder of the default history>/outbox/<hash>.sqlite;
// "" when there is no default folder.
std::string outbox_path(const std::string& uri);

// Puts the run in the outbox of `uri`, stamped with the time it was saved.
Db_Outcome queue_run(const std::string& uri, QC_Run run);

struct Send_Report {
  int sent = 0;
  int waiting = 0;                 // left in the outbox
  Db_Outcome failure;              // why the rest could not be sent (the server's own words)
  std::vector<std::string> lines;  // for the user: the runs of others replaced, why the rest waits
};

// Sends the runs waiting for `uri`, in order.
Send_Report send_waiting(const std::string& uri);

}  // namespace quorin::qc
