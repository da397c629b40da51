#pragma once
// The history in one SQLite file (history_store.h has the schema). Opening checks the file
// before anything is written: a file that is not SQLite, fails its integrity check, belongs to
// another program or to a later version is refused. Another program's lock is waited for up
// to the busy time.

#include <optional>
#include <string>
#include <vector>

#include "qc/audit.h"
#include "qc/history_store.h"
#include "qc/sqlite_db.h"

namespace quorin::qc {

class SQLite_History : public History_Backend {
 public:
  Db_Outcome open(const std::string& path, Connection::Mode mode, int busy_ms);

  Db_Outcome store_run(const QC_Run& run, Store_Kind kind, Save_Receipt& receipt) override;
  Db_Outcome load_runs(const std::string* substance, std::vector<QC_Run>& runs) override;
  Db_Outcome substances(std::vector<std::string>& names) override;
  Db_Outcome delete_run(const QC_Run& run, const std::string& sera, const std::string& deleted_by,
                        const std::string& reason, const std::map<int, Kept_Target>& targets, bool& found) override;
  Db_Outcome deleted_runs(std::vector<Deleted_Run>& deleted) override;
  Db_Outcome keep_deletion(const Deleted_Run& deleted, bool& changed) override;
  Db_Outcome targets(const std::string* substance, std::vector<Target_Entry>& targets) override;
  Db_Outcome keep_target(const std::string& substance, int serum, const Kept_Target& target, Store_Kind kind,
                         bool& changed) override;
  Db_Outcome clear_target(const std::string& substance, int serum) override;
  Db_Outcome audit_trail(const QC_Run* run, std::vector<Audit_Row>& rows) override;
  // Takes a run out of an outbox once its server has it (the trail says it was sent).
  Db_Outcome forget_run(const QC_Run& run);
  // Reads what can still be read of a damaged file, run by run, without writing to it.
  static std::vector<QC_Run> salvage_runs(const std::string& path);

 private:
  Db_Outcome check_file();
  Db_Outcome bring_up_to_date();
  Db_Outcome read_runs(const std::string* substance, const QC_Run* assay, std::vector<QC_Run>& runs) override;
  Db_Outcome read_targets(const std::string* substance, int serum, std::vector<Target_Entry>& targets) override;
  Db_Outcome read_deletions(std::vector<Deleted_Run>& deleted) override;
  Db_Outcome latest_deletion(const QC_Run& assay, std::string& deleted_at) override;
  Db_Outcome write_target(const std::string& substance, int serum, const Kept_Target& target) override;
  Db_Outcome append(Audit_Row row) override;
  Db_Outcome remove_run(const QC_Run& assay);
  // Runs `body` inside BEGIN IMMEDIATE (or the `begin` given) ... COMMIT; rolls back when it or the
  // commit fails.
  template <typename Body>
  Db_Outcome transaction(Body&& body, const char* begin = "BEGIN IMMEDIATE");

  Connection db_;
  bool empty_ = false;            // opened for reading, the file holds no schema yet
  int version_ = Schema_Version;  // opened for reading, an older file is read as it is
};

}  // namespace quorin::qc
