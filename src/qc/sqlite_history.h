#pragma once
// The history in one SQLite file (history_store.h has the schema). Opening checks the file
// before anything is written: a file that is not SQLite, fails its integrity check, belongs to
// another program or to a later version is refused. Another program's lock is waited for up
// to the busy time.

#include <string>

#include "qc/history_store.h"
#include "qc/sqlite_db.h"

namespace quorin::qc {

class SQLite_History : public History_Backend {
 public:
  Db_Outcome open(const std::string& path, Connection::Mode mode, int busy_ms);

  Db_Outcome store_run(const QC_Run& run, Save_Receipt& receipt) override;
  Db_Outcome load_runs(const std::string* substance, std::vector<QC_Run>& runs) override;
  Db_Outcome substances(std::vector<std::string>& names) override;
  Db_Outcome delete_run(const QC_Run& run, const std::string& sera, const std::string& deleted_by,
                        const std::string& reason, const std::map<int, Kept_Target>& targets, bool& found) override;
  Db_Outcome deleted_runs(std::vector<Deleted_Run>& deleted) override;
  Db_Outcome keep_deletion(const Deleted_Run& deleted) override;
  Db_Outcome kept_targets(const std::string& substance, std::map<int, Kept_Target>& targets) override;
  Db_Outcome keep_target(const std::string& substance, int serum, const Kept_Target& target) override;
  Db_Outcome clear_target(const std::string& substance, int serum) override;
  // Takes a run out without a trace: for the outbox, once its server has the run.
  Db_Outcome forget_run(std::int64_t id);

 private:
  Db_Outcome check_file();
  Db_Outcome bring_up_to_date();
  Db_Outcome write_target(const std::string& substance, int serum, const Kept_Target& target);
  // Runs `body` inside BEGIN IMMEDIATE (or the `begin` given) ... COMMIT; rolls back when it or the
  // commit fails.
  template <typename Body>
  Db_Outcome transaction(Body&& body, const char* begin = "BEGIN IMMEDIATE");

  Connection db_;
  bool empty_ = false;  // opened for reading, the file holds no schema yet
  int version_ = Schema_Version;  // opened for reading, an older file is read as it is
};

}  // namespace quorin::qc
