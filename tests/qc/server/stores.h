#pragma once
// Control-serum runs made by hand and read back from a history. The two places a history lives, for tests that every
// store must pass: a new SQLite file in a scratch folder, or a new database on the suite's own PostgreSQL server. Each
// can run SQL as another program would, and take a snapshot of everything it holds.

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <unistd.h>
#include <atomic>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "batch/batch_fixture.h"
#include "batch/qc_tools.h"
#include "qc/audit.h"
#include "qc/history_store.h"
#include "support/test_support.h"

namespace quorin::testing {

// A run of assay `no` on `date` whose sera 1, 2, ... have these means, each of two tubes at CV 2.5 %.
inline qc::QC_Run qc_run(const std::string& substance, const std::string& no, const std::string& date,
                         const std::vector<std::optional<double>>& means) {
  qc::QC_Run run;
  run.substance = substance, run.assay_no = no, run.assay_date = date, run.date_key = qc::date_key(date);
  for (std::size_t s = 0; s < means.size(); ++s) run.sera.push_back({static_cast<int>(s + 1), means[s], 2.5, 2});
  return run;
}

// The run saved in the history at `where`, made when there is none; a short wait for a lock.
inline qc::Db_Outcome store_in(const std::string& where, const qc::QC_Run& run) {
  qc::History_Store history;
  qc::Db_Outcome outcome = history.open(where, qc::Connection::Mode::Write, 100);
  return outcome ? history.store_run(run) : outcome;
}

// What a reader of History_Store (all_runs, audit_trail, deleted_runs) gives of the history at
// `where`, opened for reading; a failure when it cannot be read.
template <typename Value>
Value read_history(const std::string& where, qc::Db_Outcome (qc::History_Store::*read)(Value&)) {
  qc::History_Store store;
  Value value{};
  qc::Db_Outcome outcome = store.open(where, qc::Connection::Mode::Read);
  if (outcome) outcome = (store.*read)(value);
  EXPECT_TRUE(outcome) << qc::history_message(where, outcome);
  return value;
}

// Every run of the history at `where`, oldest first.
inline std::vector<qc::QC_Run> runs_in(const std::string& where) {
  return read_history(where, &qc::History_Store::all_runs);
}

// The targets kept for `substance` in the history at `where`.
inline std::map<int, qc::Kept_Target> targets_in(const std::string& where, const std::string& substance) {
  qc::History_Store store;
  std::map<int, qc::Kept_Target> targets;
  EXPECT_TRUE(store.open(where, qc::Connection::Mode::Read) && store.kept_targets(substance, targets)) << where;
  return targets;
}

// A history tool as the command line runs it, `input` its standard input: its exit status and what
// it wrote to standard output and to standard error.
struct Tool_Run {
  int status;
  std::string out, errors;
};
inline Tool_Run run_tool(const std::vector<std::string>& arguments, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, errors;
  const int status = batch::run_qc_tool(arguments, in, out, errors);
  return {status, out.str(), errors.str()};
}

// The suite's server (tests/support/pg_server.sh), or the one whose folder `note` names, as the
// superuser, on database `database`.
inline std::string server_uri(const std::string& database, const std::string& note_file = QUORIN_PG_NOTE) {
  std::ifstream note(note_file);
  std::string folder;
  std::getline(note, folder);
  EXPECT_FALSE(folder.empty()) << "the PostgreSQL server is not running (" << note_file << ")";
  return "postgresql:///" + database + "?host=" + folder + "&user=quorin_admin";
}

// Runs SQL on the server: whether it ran, and the first column of the first row ("" when none) or
// the server's error.
inline std::pair<bool, std::string> try_server_sql(const std::string& uri, const std::string& sql) {
  PGconn* db = PQconnectdb(uri.c_str());
  PGresult* result = PQexec(db, sql.c_str());
  const ExecStatusType status = PQresultStatus(result);
  std::pair<bool, std::string> done{status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK, ""};
  if (!done.first) done.second = PQerrorMessage(db);
  else if (PQntuples(result) > 0) done.second = PQgetvalue(result, 0, 0);
  PQclear(result);
  PQfinish(db);
  return done;
}

// The same, which must run.
inline std::string server_sql(const std::string& uri, const std::string& sql) {
  const auto [ran, first] = try_server_sql(uri, sql);
  EXPECT_TRUE(ran) << sql << ": " << first;
  return ran ? first : "";
}

// A new, empty database on the suite's server, or the one whose folder `note` names.
inline std::string new_server_database(const std::string& note = QUORIN_PG_NOTE) {
  static std::atomic<int> made{0};
  const std::string name = "h" + std::to_string(getpid()) + "_" + std::to_string(made++);
  server_sql(server_uri("postgres", note), "CREATE DATABASE " + name);
  return server_uri(name, note);
}

struct SQLite_Place {
  Scratch_Folder folder;
  const std::string where = folder.file("qc.sqlite");
  // Runs the statements: whether they ran without an error, and the first column of the first row, or "".
  static std::pair<bool, std::string> sql_on(const std::string& file, const std::string& statements) {
    sqlite3* db = nullptr;
    std::pair<bool, std::string> done;
    sqlite3_open(file.c_str(), &db);
    const auto keep_first = [](void* out, int, char** values, char**) {
      auto& text = *static_cast<std::string*>(out);
      if (text.empty() && values[0] != nullptr) text = values[0];
      return 0;
    };
    done.first = sqlite3_exec(db, statements.c_str(), keep_first, &done.second, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return done;
  }
  std::string sql(const std::string& statements) const { return sql_on(where, statements).second; }
  bool try_sql(const std::string& statements) const { return sql_on(where, statements).first; }
  std::string snapshot() const { return read_bytes(where); }
  std::string version() const { return sql("PRAGMA user_version"); }
  void set_version(int version) const { sql("PRAGMA user_version = " + std::to_string(version)); }
  // The first schema with one run of one serum, as the first version of the program left it.
  void make_version_1() const { sql(read_bytes(QUORIN_TEST_DATA "/version_1.sqlite.sql")); }
  void make_foreign() const { sql("CREATE TABLE samples (x)"); }
  // The statements with the triggers that keep the trail from changing dropped first.
  std::string unguarded(const std::string& statements) const {
    return "DROP TRIGGER audit_never_changes; DROP TRIGGER audit_never_shrinks; " + statements;
  }
};

struct Server_Place {
  const std::string where = new_server_database();
  std::string sql(const std::string& statement) const { return server_sql(where, statement); }
  bool try_sql(const std::string& statements) const { return try_server_sql(where, statements).first; }
  // Every table with every row, as text.
  std::string snapshot() const {
    return sql(
        "SELECT coalesce(string_agg(t, E'\\n' ORDER BY t), '') FROM (SELECT table_name || ': ' ||"
        " (xpath('/row/c/text()', query_to_xml('SELECT string_agg(x::text, '','' ORDER BY x::text) AS c"
        " FROM ' || quote_ident(table_name) || ' x', false, true, '')))[1]::text AS t"
        " FROM information_schema.tables WHERE table_schema = 'public') s");
  }
  std::string version() const { return sql("SELECT version FROM quorin_schema"); }
  void set_version(int version) const { sql("UPDATE quorin_schema SET version = " + std::to_string(version)); }
  void make_version_1() const { sql(read_bytes(QUORIN_TEST_DATA "/version_1.postgresql.sql")); }
  void make_foreign() const { sql("CREATE TABLE samples (x integer); INSERT INTO samples VALUES (7)"); }
  std::string unguarded(const std::string& statements) const {
    return "ALTER TABLE audit DISABLE TRIGGER USER; " + statements;
  }
};

// Batch runs of the example assay that keep their runs in a history.
class History_Batch : public Batch_Test {
 protected:
  const std::string history = folder.file("qc.sqlite");  // a file history
  // A run with the history `qc`, one text of its conditions replaced when given.
  Batch_Outcome save(const std::string& qc, const std::string& text = "", const std::string& by = "",
                     bool report = false, int model = 0, int status = batch::Exit_Done) const {
    batch::Batch_Options options = example(0, 1, {}, {}, model);
    std::string bytes = read_bytes(Example_Conditions);
    if (!text.empty()) bytes.replace(bytes.find(text), text.size(), by);
    write_bytes(options.conditions = folder.file("assay.crx"), bytes);
    options.qc = qc;
    if (report) options.pdf = folder.file("report.pdf");
    const Batch_Outcome outcome = run_in_process(options);
    EXPECT_EQ(outcome.status, status) << outcome.errors;
    return outcome;
  }
};

}  // namespace quorin::testing
