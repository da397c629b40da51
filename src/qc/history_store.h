#pragma once
// The control-serum history: every run saved, its control sera, the targets kept and the runs
// deleted. It lives in an SQLite file (one station) or in a PostgreSQL database (a lab's shared
// history, named by a libpq connection string, qc/connection_string.h); both hold the same schema
// and are used through History_Store, so everything above it is one code. Opening for writing
// brings an older schema up to date step by step. Every write is one transaction that also
// appends its row to the audit trail (qc/audit.h), so a failure leaves the history as it was. A
// history that is not a database of its kind, is damaged, belongs to another program or to a later
// version is refused and left untouched.
//
// Schema version 1:
//   runs (id INTEGER PRIMARY KEY, substance, assay_no, date_key, assay_date, unit, operator,
//         fit, result_file, saved_at;  UNIQUE (substance, assay_no, date_key))
//   serum_results (run_id → runs.id ON DELETE CASCADE, serum 1..20, mean REAL or NULL, cv,
//         tubes;  PRIMARY KEY (run_id, serum))
//   targets (substance, serum, mean, sd > 0, entered_at;  PRIMARY KEY (substance, serum))
// Version 2 adds:
//   runs: curve_kind ('logit-log', '4PL', '5PL', 'unknown' for the runs of version 1),
//         curve_weighting, curve_order, std_from, std_to, station (the host that saved it)
//   targets: from_runs (0 entered; else established from that many runs and kept), and the
//         curve columns of the runs it came from ('mixed' when they differ)
//   deletions (id, substance, assay_no, date_key, assay_date, curve, station, saved_at, sera,
//         deleted_by, deleted_at, reason <> '')
// Version 3 adds:
//   targets: baseline_through (a kept target: the last run, "date_key<TAB>assay_no", of the
//         runs its values came from)
//   audit (id, at, os_user, station, action, substance, assay_no, date_key, serum, value_before,
//         value_after, reason, previous, hash): the trail of every change (qc/audit.h), which the
//         database refuses to change or shorten. An older history's trail begins at the migration.
// SQLite keeps the version in PRAGMA user_version and the program's mark in PRAGMA
// application_id; PostgreSQL keeps both in the one row of quorin_schema (application_id, version).

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "qc/qc_run.h"
#include "qc/sqlite_db.h"

namespace quorin::qc {

// A target kept for one serum of one substance: entered by the user, or established from the
// first runs and kept so that deleting one of them does not move it.
struct Kept_Target {
  double mean = 0;
  double sd = 0;
  int from_runs = 0;             // 0 when entered
  Run_Curve curve = {};          // the curve of the runs it belongs to
  std::string entered_at;        // when it was entered or kept, UTC ("" for one not stored yet)
  std::string baseline_through;  // kept: the last of the runs it came from, "date_key<TAB>assay_no"
};

struct Target_Entry {
  std::string substance;
  int serum = 0;
  Kept_Target target;
};

// A deleted run as the deletions table keeps it for audit.
struct Deleted_Run {
  std::string substance;
  std::string assay_no;
  std::string date_key;
  std::string assay_date;
  std::string curve;  // curve_text of the run
  std::string station;
  std::string saved_at;
  std::string sera;  // "1=3.087,2.5,2;2=..." (serum=mean,CV,tubes)
  std::string deleted_by;
  std::string deleted_at;
  std::string reason;
};

// The deletion of a stored run, now, by `deleted_by`, with its sera as Deleted_Run keeps them.
Deleted_Run deletion_of(const QC_Run& stored, const std::string& sera, const std::string& deleted_by,
                        const std::string& reason);

// What saving a run did to the history.
struct Save_Receipt {
  bool replaced = false;          // a stored run of the same assay was replaced
  bool unchanged = false;         // nothing was written (see Store_Kind)
  std::string replaced_station;   // the station that had saved it
  std::string replaced_saved_at;  // and when
};

// A run saved replaces the stored run of its assay; a run that is there already as it is (sent
// again from an outbox) changes nothing. A run copied from another history keeps its time of
// saving and is taken only when it is the later save of its assay and no deletion of the assay
// came after it, so that the latest event of an assay wins whichever way and however often
// histories are copied.
enum class Store_Kind { Save, Copy };

// What storing `run` does to a history that holds `stored` (the run of the same assay, if any)
// and whose latest deletion of that assay happened at `deleted_at` ("" for none).
enum class Store_Step { Nothing, Insert, Replace };
Store_Step store_step(const QC_Run& run, const QC_Run* stored, const std::string& deleted_at, Store_Kind kind);
// True when target `a` wins over `b` in a copy: entered later (on a tie, the greater values).
bool later_target(const Kept_Target& a, const Kept_Target& b);

struct Audit_Row;

// Every record of a history: what a copy carries and what its trail must account for.
struct History_Records {
  std::vector<QC_Run> runs;          // by substance, then in run order
  std::vector<Deleted_Run> deleted;  // oldest deletion first
  std::vector<Target_Entry> targets;
};

inline constexpr int Schema_Version = 3;
inline constexpr int Application_Id = 0x51514331;  // marks a database as this program's history
inline constexpr int Default_Busy_Ms = 5000;

// One kind of database holding the history. Each call is one transaction.
class History_Backend {
 public:
  virtual ~History_Backend() = default;
  // Stores the run (its saved_at filled) as `kind` says, with its row of the audit trail.
  virtual Db_Outcome store_run(const QC_Run& run, Store_Kind kind, Save_Receipt& receipt) = 0;
  // The runs of one substance, or all (substance nullptr), each with its sera, in no set order.
  virtual Db_Outcome load_runs(const std::string* substance, std::vector<QC_Run>& runs) = 0;
  virtual Db_Outcome substances(std::vector<std::string>& names) = 0;
  // `sera` is the run's sera as Deleted_Run keeps them.
  virtual Db_Outcome delete_run(const QC_Run& run, const std::string& sera, const std::string& deleted_by,
                                const std::string& reason, const std::map<int, Kept_Target>& targets, bool& found) = 0;
  virtual Db_Outcome deleted_runs(std::vector<Deleted_Run>& deleted) = 0;
  // Adds a deletion copied from another history unless it holds it already, and deletes the run of
  // its assay when that was saved before it; `changed` tells whether anything was written.
  virtual Db_Outcome keep_deletion(const Deleted_Run& deleted, bool& changed) = 0;
  // The targets of one substance, or all (substance nullptr).
  virtual Db_Outcome targets(const std::string* substance, std::vector<Target_Entry>& targets) = 0;
  // Stores a target (its entered_at filled): entered by the user (Save), or from a copy, taken only
  // when it is later than the one there (`changed` says whether it was).
  virtual Db_Outcome keep_target(const std::string& substance, int serum, const Kept_Target& target, Store_Kind kind,
                                 bool& changed) = 0;
  virtual Db_Outcome clear_target(const std::string& substance, int serum) = 0;
  // The audit trail, oldest row first: all of it, or the rows of one run (run nullptr: all).
  virtual Db_Outcome audit_trail(const QC_Run* run, std::vector<Audit_Row>& rows) = 0;

 protected:
  // What each store reads and writes inside a transaction of its caller.
  // The runs of a substance, of one assay (`assay`: its substance, number and date) or all.
  virtual Db_Outcome read_runs(const std::string* substance, const QC_Run* assay, std::vector<QC_Run>& runs) = 0;
  // The targets of one serum (serum > 0), of one substance or all.
  virtual Db_Outcome read_targets(const std::string* substance, int serum, std::vector<Target_Entry>& targets) = 0;
  virtual Db_Outcome read_deletions(std::vector<Deleted_Run>& deleted) = 0;
  // The time of the assay's latest deletion, "" for none.
  virtual Db_Outcome latest_deletion(const QC_Run& assay, std::string& deleted_at) = 0;
  virtual Db_Outcome write_target(const std::string& substance, int serum, const Kept_Target& target) = 0;
  // Appends the row to the trail, chained to the last row.
  virtual Db_Outcome append(Audit_Row row) = 0;

  // The steps every store takes the same way, on the reads and writes above.
  Db_Outcome read_run(const QC_Run& assay, std::optional<QC_Run>& run);
  // Reads what storing `run` replaces into `stored`; false in `write` (receipt.unchanged set) when
  // storing it changes nothing.
  Db_Outcome store_decision(const QC_Run& run, Store_Kind kind, Save_Receipt& receipt, std::optional<QC_Run>& stored,
                            bool& write);
  // The trail's row of a run stored over `stored`.
  Db_Outcome stored_row(const QC_Run& run, Store_Kind kind, const std::optional<QC_Run>& stored);
  // A target entered or copied, when it changes the one there, with its row.
  Db_Outcome change_target(const std::string& substance, int serum, const Kept_Target& target, Store_Kind kind,
                           bool& changed);
  // The targets a deletion keeps, each with its row.
  Db_Outcome keep_targets(const std::string& substance, const std::map<int, Kept_Target>& targets,
                          const std::string& reason);
  // An older history's trail begins at its migration from `version`, with every record it held.
  Db_Outcome record_existing(int version);
};

class History_Store {
 public:
  // Opens the history `where`: a "postgresql://" or "postgres://" URI names a database, anything
  // else an SQLite file. For writing, a file (and its folder) is created when missing and the
  // schema made current; for reading, a missing file is Db_Failure::Missing and an empty history
  // reads as one without runs.
  Db_Outcome open(const std::string& where, Connection::Mode mode, int busy_ms = Default_Busy_Ms);
  bool is_open() const { return backend_ != nullptr; }

  Db_Outcome store_run(const QC_Run& run);
  Db_Outcome store_run(const QC_Run& run, Save_Receipt& receipt);
  // A run from another history (see Store_Kind).
  Db_Outcome copy_run(const QC_Run& run, Save_Receipt& receipt);
  // The runs of one substance in run order (runs_in_order), each with its sera.
  Db_Outcome runs_of(const std::string& substance, std::vector<QC_Run>& runs);
  // Every run, by substance and then in run order.
  Db_Outcome all_runs(std::vector<QC_Run>& runs);
  // The substances with stored runs, in name order.
  Db_Outcome substances(std::vector<std::string>& names);

  // Removes the stored run of the same assay as `run` (with its sera as stored) into the deletions
  // table, with who deleted it and why, and keeps `targets` (the established targets it would move) in the same
  // transaction; `found` tells whether there was such a run (nothing is written when not).
  Db_Outcome delete_run(const QC_Run& run, const std::string& deleted_by, const std::string& reason,
                        const std::map<int, Kept_Target>& targets, bool& found);
  // Every deleted run, oldest deletion first.
  Db_Outcome deleted_runs(std::vector<Deleted_Run>& deleted);
  // A deletion from another history (see History_Backend::keep_deletion).
  Db_Outcome keep_deletion(const Deleted_Run& deleted, bool& changed);

  // The targets kept for a substance, by serum; every target of the history.
  Db_Outcome kept_targets(const std::string& substance, std::map<int, Kept_Target>& targets);
  Db_Outcome all_targets(std::vector<Target_Entry>& targets);
  // Every run, deletion and target.
  Db_Outcome all_records(History_Records& records);
  // A target entered now; a target from another history (taken when later, `changed` says so).
  Db_Outcome keep_target(const std::string& substance, int serum, const Kept_Target& target);
  Db_Outcome copy_target(const Target_Entry& entry, bool& changed);
  Db_Outcome clear_target(const std::string& substance, int serum);

  // The audit trail, oldest row first; the rows of one run (its substance, number and date).
  Db_Outcome audit_trail(std::vector<Audit_Row>& rows);
  Db_Outcome run_trail(const QC_Run& run, std::vector<Audit_Row>& rows);

 private:
  Db_Outcome sorted(const std::string* substance, std::vector<QC_Run>& runs);
  std::unique_ptr<History_Backend> backend_;
};

// True when `where` names a PostgreSQL database rather than a file (qc/connection_string.h).
bool is_server_uri(const std::string& where);
// The connection string as messages show it: as given, for one the program takes; a string that
// carries a password or that libpq cannot read (refused before any use) is never shown.
std::string shown_uri(const std::string& uri);
// A history as messages name it: the file's path, or the URI without its password.
std::string shown_history(const std::string& where);

// The time now, UTC, as the history keeps it: "2026-12-01 17:05:09.412" (runs kept by the first
// version have whole seconds; the texts still sort in time order).
std::string utc_now();

// Why an operation failed, as the messages say it ("書き込みが許可されていません: <detail>"); `server`
// for a history server.
std::string failure_text(const Db_Outcome& outcome, bool server);

// The message for a history that failed: "精度管理の履歴ファイルを使えません: <path> (<why>)", or
// "精度管理の履歴データベースを使えません: <URI> (<why>)".
std::string history_message(const std::string& where, const Db_Outcome& outcome);

}  // namespace quorin::qc
