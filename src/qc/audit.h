#pragma once
// The audit trail of a history: every change to its runs, targets and deletions appends one row
// in the transaction that makes the change. A row keeps when (UTC), who (the operating-system
// user) and where (the station), what was done to which record, the record's values before and
// after, and the reason where one is asked. Each row carries the SHA-256 of its own content and
// of the row before it, so that a row changed, removed or slipped in behind the program's back
// breaks the chain from there on. The database refuses to change or remove a row (SQLite:
// triggers; PostgreSQL: a trigger, and the grants the README shows).
//
// Values are kept as one line of text, "key=value" fields joined by "|", numbers in their
// shortest exact form, so that the trail can be read without the program and compared with the
// records it accounts for.

#include <cstdint>
#include <string>
#include <vector>

#include "qc/history_store.h"

namespace quorin::qc {

struct Audit_Row {
  std::int64_t id = 0;
  std::string at;                             // UTC, as utc_now() writes it
  std::string user;                           // the operating-system user
  std::string station;                        // the host name
  std::string action;                         // one of the Audit_* keys below
  std::string substance, assay_no, date_key;  // the run, or the substance of a target
  int serum = 0;                              // a target's serum; 0 for runs
  std::string before, after;                  // the record's values, "" where there was none
  std::string reason;
  std::string previous;  // the hash of the row before, "" for the first row
  std::string hash;
};

// What a row records.
inline constexpr const char* Audit_Save = "save";        // a run saved
inline constexpr const char* Audit_Replace = "replace";  // a run saved over a stored one
inline constexpr const char* Audit_Delete = "delete";    // a run deleted (before: the run; after: the deletion)
inline constexpr const char* Audit_Sent = "sent";        // an outbox's run taken out once its server had it
inline constexpr const char* Audit_Target_Enter = "target-enter";  // a target entered by the user
inline constexpr const char* Audit_Target_Clear = "target-clear";  // a target computed again from the runs
inline constexpr const char* Audit_Target_Keep = "target-keep";    // an established target kept by a deletion
inline constexpr const char* Audit_Copy_Run = "copy-run";          // a run brought in (or replaced) by a copy
inline constexpr const char* Audit_Copy_Delete = "copy-delete";    // a deletion brought in by a copy
inline constexpr const char* Audit_Copy_Target = "copy-target";    // a target brought in by a copy
inline constexpr const char* Audit_Migrate = "migrate";            // the trail begins: an older history brought forward
inline constexpr const char* Audit_Existing_Run = "existing-run";  // a record found at the migration
inline constexpr const char* Audit_Existing_Target = "existing-target";
inline constexpr const char* Audit_Existing_Deletion = "existing-deletion";

// "測定を保存", "測定を置き換え", ... for the trail as the user reads it.
std::string audit_action_text(const std::string& action);

// A row for `action` on the run (or target) of `substance`, `assay_no`, `date_key`, stamped now
// with this user and station; the chain fields are filled when it is appended.
Audit_Row audit_row(const char* action, const std::string& substance, const std::string& assay_no,
                    const std::string& date_key, const std::string& before, const std::string& after,
                    const std::string& reason = "", int serum = 0);

// Fills previous and hash for a row that follows the row whose hash is `previous`.
void chain_row(Audit_Row& row, const std::string& previous);

// The SHA-256 over the row's previous hash and every field of its content.
std::string audit_hash(const Audit_Row& row);

// The values of a run, a target and a deletion as the trail keeps them.
std::string run_record(const QC_Run& run);
std::string target_record(const Kept_Target& target);
std::string deletion_record(const Deleted_Run& deleted);

// The shortest text that reads back as exactly this number.
std::string exact_text(double value);

// The operating-system user running the program (its name, else its number).
std::string os_user();

// The rows an older history's trail begins with: the migration from `version`, then one row per
// run, target and deletion the history held.
std::vector<Audit_Row> migration_rows(int version, const std::vector<QC_Run>& runs,
                                      const std::vector<Target_Entry>& targets,
                                      const std::vector<Deleted_Run>& deletions);

// Where a trail stops holding: the id of the first row that does not follow from the one before
// (0 when the chain holds) and why.
struct Chain_Check {
  std::int64_t broken_row = 0;
  std::string why;
  bool holds() const { return broken_row == 0; }
};
Chain_Check check_chain(const std::vector<Audit_Row>& rows);

}  // namespace quorin::qc
