#pragma once
// The history in a PostgreSQL database, shared by the stations of a lab (history_store.h has
// the schema). libpq connects with the URI as given; the password comes from ~/.pgpass or
// PGPASSWORD, and a URI that carries one is refused so that it never stands on a command line
// or in a message. A server that cannot be reached is Db_Failure::Unreachable; one that answers
// but refuses (the role, its password, a privilege) is Db_Failure::Refused with the server's
// own reason. A save is one serializable transaction, tried again when the server reports a
// clash with another station's transaction.

#include <optional>
#include <string>
#include <vector>

#include "qc/audit.h"
#include "qc/history_store.h"

struct pg_conn;

namespace quorin::qc {

class PG_Result;

class PG_History : public History_Backend {
 public:
  PG_History() = default;
  ~PG_History() override;
  PG_History(const PG_History&) = delete;
  PG_History& operator=(const PG_History&) = delete;

  Db_Outcome open(const std::string& uri, Connection::Mode mode);

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

  using Parameter = std::optional<std::string>;  // none is NULL

 private:
  // Runs one statement with its parameters; `result` (when given) receives its rows.
  Db_Outcome exec(const char* sql, const std::vector<Parameter>& parameters = {}, PG_Result* result = nullptr);
  // Runs `body` in one transaction, again (a few times) when the server aborts it for a clash with a
  // concurrent transaction.
  template <typename Body>
  Db_Outcome transaction(Body&& body, const char* begin);
  // A transaction that changes the history: the stations' changes take turns by one advisory lock,
  // taken first, so that each sees every change committed before it and the trail stays one chain.
  template <typename Body>
  Db_Outcome write(Body&& body);
  Db_Outcome check_schema(bool writing);
  Db_Outcome read_runs(const std::string* substance, const QC_Run* assay, std::vector<QC_Run>& runs) override;
  Db_Outcome read_targets(const std::string* substance, int serum, std::vector<Target_Entry>& targets) override;
  Db_Outcome read_deletions(std::vector<Deleted_Run>& deleted) override;
  Db_Outcome latest_deletion(const QC_Run& assay, std::string& deleted_at) override;
  Db_Outcome write_target(const std::string& substance, int serum, const Kept_Target& target) override;
  Db_Outcome append(Audit_Row row) override;
  Db_Outcome remove_run(const QC_Run& assay);
  Db_Outcome failure_of(const PG_Result* result) const;

  pg_conn* db_ = nullptr;
  bool empty_ = false;            // opened for reading, the database holds no schema yet
  int version_ = Schema_Version;  // opened for reading, an older schema is read as it is
};

}  // namespace quorin::qc
