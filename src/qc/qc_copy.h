#pragma once
// Copying a whole history from one store to another: an SQLite file into a PostgreSQL database
// (a station joining the lab's shared history) or back (a copy to keep). Runs keep the time and
// station they were saved with, targets the time they were entered, deletions who made them and
// why. Of two records of one assay (or one serum's target) the later wins: a run is replaced only
// by a later save of it, a deletion removes the runs saved before it and keeps them from coming
// back, a target entered later replaces an earlier one. So copying twice, either way, changes
// nothing the second time; every change is a row of the target's audit trail.

#include <string>

namespace quorin::qc {

struct Copy_Result {
  bool done = false;
  std::string message;  // for the user, in every case
};

Copy_Result copy_history(const std::string& from, const std::string& to);

}  // namespace quorin::qc
