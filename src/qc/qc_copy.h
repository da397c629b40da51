#pragma once
// Copying a whole history from one store to another: an SQLite file into a PostgreSQL database
// (a station joining the lab's shared history) or back (a copy to keep). Runs keep the time and
// station they were saved with; a run already there is replaced only by a later save of it, so a
// second copy adds nothing. Kept targets and the record of deleted runs go with them.

#include <string>

namespace quorin::qc {

struct Copy_Result {
  bool done = false;
  std::string message;  // for the user, in every case
};

Copy_Result copy_history(const std::string& from, const std::string& to);

}  // namespace quorin::qc
