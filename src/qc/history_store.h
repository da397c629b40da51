#pragma once
// The control-serum history: one SQLite file holding every run saved, its control sera, and the
// targets the user entered. The schema carries its version in PRAGMA user_version and the
// program's mark in PRAGMA application_id; opening for writing brings an older schema up to date
// step by step. Every write is one transaction, so a failure (a full disk, another program's
// lock past the busy timeout) leaves the file as it was. A file that is not SQLite, fails its
// integrity check, belongs to another program or to a later version is left untouched.
//
// Schema version 1:
//   runs (id INTEGER PRIMARY KEY, substance, assay_no, date_key, assay_date, unit, operator,
//         fit, result_file, saved_at;  UNIQUE (substance, assay_no, date_key))
//   serum_results (run_id → runs.id ON DELETE CASCADE, serum 1..20, mean REAL or NULL, cv,
//         tubes;  PRIMARY KEY (run_id, serum))
//   targets (substance, serum, mean, sd > 0, entered_at;  PRIMARY KEY (substance, serum))

#include <map>
#include <string>
#include <vector>

#include "qc/qc_run.h"
#include "qc/sqlite_db.h"

namespace quorin::qc {

// A target the user entered for one serum of one substance.
struct Entered_Target {
  double mean = 0;
  double sd = 0;
};

class History_Store {
 public:
  static constexpr int Schema_Version = 1;
  static constexpr int Application_Id = 0x51514331;  // marks the file as this program's history
  static constexpr int Default_Busy_Ms = 5000;

  // Opens the history. For writing, the file (and its folder) is created when missing and its
  // schema made current; for reading, a missing file is Db_Failure::Missing and an empty one
  // reads as a history without runs. Either way the file must pass SQLite's integrity check.
  Db_Outcome open(const std::string& path, Connection::Mode mode, int busy_ms = Default_Busy_Ms);

  // Stores the run, replacing the stored run of the same assay (substance, assay number, date).
  Db_Outcome store_run(const QC_Run& run);
  // The runs of one substance in run order (runs_in_order), each with its sera.
  Db_Outcome runs_of(const std::string& substance, std::vector<QC_Run>& runs);
  // Every run, by substance and then in run order.
  Db_Outcome all_runs(std::vector<QC_Run>& runs);
  // The substances with stored runs, in name order.
  Db_Outcome substances(std::vector<std::string>& names);

  // The targets entered for a substance, by serum.
  Db_Outcome entered_targets(const std::string& substance, std::map<int, Entered_Target>& targets);
  Db_Outcome enter_target(const std::string& substance, int serum, const Entered_Target& target);
  Db_Outcome clear_target(const std::string& substance, int serum);

 private:
  Db_Outcome check_file();
  Db_Outcome bring_up_to_date();
  Db_Outcome load_runs(const char* runs_sql, const char* sera_sql, const std::string* substance,
                       std::vector<QC_Run>& runs);
  // Runs `body` inside BEGIN IMMEDIATE (or the `begin` given) ... COMMIT; rolls back when it or the
  // commit fails.
  template <typename Body>
  Db_Outcome transaction(Body&& body, const char* begin = "BEGIN IMMEDIATE");

  Connection db_;
  bool empty_ = false;  // opened for reading, the file holds no schema yet
};

// The message for a history file that failed: "精度管理の履歴ファイルを使えません: <path> (<why>)".
std::string history_message(const std::string& path, const Db_Outcome& outcome);

}  // namespace quorin::qc
