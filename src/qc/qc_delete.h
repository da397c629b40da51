#pragma once
// Removing a run saved by mistake. The run goes into the history's deletions table with who
// deleted it, when and why; a reason is required. A target established from the first runs that
// the deletion would move is kept as it was: it is computed again only when the user asks for it
// ("計算値に戻す" on the chart).

#include <string>

#include "qc/history_store.h"

namespace quorin::qc {

struct Delete_Result {
  enum class Kind { Deleted, Not_Found, Refused, Failed };
  Kind kind = Kind::Failed;
  std::string message;  // for the user, in every case
};

// Deletes the stored run of `substance`, `assay_no` and the date (as typed; compared by its
// date key) from the open store, for `reason` (blanks trimmed; refused when empty).
Delete_Result delete_stored_run(History_Store& store, const std::string& where, const std::string& substance,
                                const std::string& assay_no, const std::string& date, const std::string& reason);

// Who deletes: the login name and the station, "sato@counter-2".
std::string deleting_user();

}  // namespace quorin::qc
