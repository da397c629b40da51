#pragma once
// Runs on their way to a history server. A run for a server is first put in the outbox, an
// SQLite history of its own beside the default history file (one per server), and then sent:
// the runs waiting go in the order they were saved, each taken out only after the server has
// committed it. A program killed between the two leaves the run waiting; sent again, it finds
// itself there and changes nothing, so it arrives once. When the outbox cannot be written or
// read, the run goes straight to the server. A damaged outbox is never written over: it is set
// aside as "<name>.damaged-<time>.sqlite", the runs that can still be read from it wait in a new
// outbox, and the file stays for a person to look at.

#include <string>
#include <vector>

#include "qc/history_store.h"

namespace quorin::qc {

// The outbox file for the server `uri`: <folder of the default history>/outbox/<hash>.sqlite;
// "" when there is no default folder.
std::string outbox_path(const std::string& uri);

// Where a run for a server ended.
enum class Delivery {
  Kept,     // on the server
  Waiting,  // in the outbox, to be sent later
  Nowhere   // neither: the user is told so
};

// Saves the run (its saved_at set) for `uri`, then sends what waits; `lines` receive what the user
// is told: why runs wait, outboxes set aside, runs of others replaced (the run's own replacement
// too unless `confirmed`, the user having agreed to it).
Delivery deliver_run(const std::string& uri, const QC_Run& run, bool confirmed, std::vector<std::string>& lines);

// Puts the run in the outbox of `uri` without sending it.
Db_Outcome queue_run(const std::string& uri, QC_Run run);

struct Send_Report {
  int sent = 0;
  int waiting = 0;                     // left in the outbox
  bool outbox_failed = false;          // the outbox could not be read or written
  std::vector<std::string> set_aside;  // damaged outboxes of this server, kept for a person
  Db_Outcome failure;                  // why the server did not take the rest
  std::vector<std::string> lines;      // for the user
  // Nothing left unsent or unread.
  bool complete() const { return waiting == 0 && !outbox_failed && set_aside.empty(); }
};

// Sends the runs waiting for `uri`, in order.
Send_Report send_waiting(const std::string& uri, const QC_Run* confirmed = nullptr);

}  // namespace quorin::qc
