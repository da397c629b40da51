#include "qc/sqlite_history.h"

#include <filesystem>
#include <unordered_map>

namespace quorin::qc {

namespace {

// Each step takes the schema from version i to version i + 1, inside the transaction that
// also sets the new user_version.
constexpr const char* Migrations[] = {
    // 0 → 1: the first schema.
    "CREATE TABLE runs ("
    "  id INTEGER PRIMARY KEY,"
    "  substance TEXT NOT NULL,"
    "  assay_no TEXT NOT NULL,"
    "  date_key TEXT NOT NULL,"
    "  assay_date TEXT NOT NULL,"
    "  unit TEXT NOT NULL,"
    "  operator TEXT NOT NULL,"
    "  fit TEXT NOT NULL,"
    "  result_file TEXT NOT NULL,"
    "  saved_at TEXT NOT NULL,"
    "  UNIQUE (substance, assay_no, date_key));"
    "CREATE TABLE serum_results ("
    "  run_id INTEGER NOT NULL REFERENCES runs (id) ON DELETE CASCADE,"
    "  serum INTEGER NOT NULL CHECK (serum BETWEEN 1 AND 20),"
    "  mean REAL CHECK (mean IS NULL OR mean <> 0),"
    "  cv REAL NOT NULL,"
    "  tubes INTEGER NOT NULL CHECK (tubes >= 0),"
    "  PRIMARY KEY (run_id, serum)) WITHOUT ROWID;"
    "CREATE TABLE targets ("
    "  substance TEXT NOT NULL,"
    "  serum INTEGER NOT NULL CHECK (serum BETWEEN 1 AND 20),"
    "  mean REAL NOT NULL,"
    "  sd REAL NOT NULL CHECK (sd > 0),"
    "  entered_at TEXT NOT NULL,"
    "  PRIMARY KEY (substance, serum)) WITHOUT ROWID;",
    // 1 → 2: the curve and the station of every run (runs kept before are of an unknown curve),
    // the curve a target belongs to and the runs it was kept from, and the deleted runs.
    "ALTER TABLE runs ADD COLUMN curve_kind TEXT NOT NULL DEFAULT 'unknown';"
    "ALTER TABLE runs ADD COLUMN curve_weighting INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE runs ADD COLUMN curve_order INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE runs ADD COLUMN std_from INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE runs ADD COLUMN std_to INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE runs ADD COLUMN station TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE targets ADD COLUMN from_runs INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE targets ADD COLUMN curve_kind TEXT NOT NULL DEFAULT 'unknown';"
    "ALTER TABLE targets ADD COLUMN curve_weighting INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE targets ADD COLUMN curve_order INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE targets ADD COLUMN std_from INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE targets ADD COLUMN std_to INTEGER NOT NULL DEFAULT 0;"
    "CREATE TABLE deletions ("
    "  id INTEGER PRIMARY KEY,"
    "  substance TEXT NOT NULL,"
    "  assay_no TEXT NOT NULL,"
    "  date_key TEXT NOT NULL,"
    "  assay_date TEXT NOT NULL,"
    "  curve TEXT NOT NULL,"
    "  station TEXT NOT NULL,"
    "  saved_at TEXT NOT NULL,"
    "  sera TEXT NOT NULL,"
    "  deleted_by TEXT NOT NULL,"
    "  deleted_at TEXT NOT NULL,"
    "  reason TEXT NOT NULL CHECK (reason <> ''));",
};
static_assert(std::size(Migrations) == Schema_Version);

// What a reader asks for; a file of version 1 (read, not yet brought up to date) has no curves.
constexpr const char* Run_Columns =
    "SELECT id, substance, assay_no, date_key, assay_date, unit, operator, fit, result_file, saved_at,"
    " curve_kind, curve_weighting, curve_order, std_from, std_to, station FROM runs";
constexpr const char* Run_Columns_1 =
    "SELECT id, substance, assay_no, date_key, assay_date, unit, operator, fit, result_file, saved_at,"
    " 'unknown', 0, 0, 0, 0, '' FROM runs";
constexpr const char* Target_Columns =
    "SELECT serum, mean, sd, from_runs, curve_kind, curve_weighting, curve_order, std_from, std_to"
    " FROM targets WHERE substance = ?";
constexpr const char* Target_Columns_1 =
    "SELECT serum, mean, sd, 0, 'unknown', 0, 0, 0, 0 FROM targets WHERE substance = ?";

// One whole number from a query such as "PRAGMA user_version".
Db_Outcome query_number(Connection& db, const char* sql, std::int64_t& value) {
  Db_Outcome outcome;
  Statement statement = db.prepare(sql, outcome);
  if (!outcome) return outcome;
  value = statement.step() ? statement.integer(0) : 0;
  return statement.outcome();
}

// The five columns of a curve from `first` on: kind, weighting, order, first and last standard.
Run_Curve curve_at(const Statement& row, int first) {
  return {curve_kind_of_key(row.text(first)), static_cast<int>(row.integer(first + 1)),
          static_cast<int>(row.integer(first + 2)), static_cast<int>(row.integer(first + 3)),
          static_cast<int>(row.integer(first + 4))};
}

}  // namespace

Db_Outcome SQLite_History::open(const std::string& path, Connection::Mode mode, int busy_ms) {
  db_ = Connection();
  empty_ = false;
  version_ = Schema_Version;
  if (mode == Connection::Mode::Write) {
    // The default place (~/.local/share/quorin) may not exist yet.
    std::error_code ignored;
    if (const auto folder = std::filesystem::path(path).parent_path(); !folder.empty())
      std::filesystem::create_directories(folder, ignored);
  }
  Connection db;
  if (Db_Outcome outcome = db.open(path, mode, busy_ms); !outcome) return outcome;
  db_ = std::move(db);
  Db_Outcome outcome = db_.exec("PRAGMA foreign_keys = ON");
  // Checked, and for writing brought up to date, in one transaction: a history that another
  // program creates at the same moment is seen whole or not at all.
  const bool writing = mode == Connection::Mode::Write;
  if (outcome)
    outcome = transaction(
        [this, writing] {
          const Db_Outcome checked = check_file();
          return checked && writing ? bring_up_to_date() : checked;
        },
        writing ? "BEGIN IMMEDIATE" : "BEGIN");
  if (!outcome) db_ = Connection();
  return outcome;
}

// Reading the header tells an SQLite file from anything else; the integrity check finds damage
// before anything is written; the marks tell this program's history from other databases.
Db_Outcome SQLite_History::check_file() {
  std::int64_t application = 0, version = 0, objects = 0;
  if (Db_Outcome outcome = query_number(db_, "PRAGMA application_id", application); !outcome) return outcome;
  {
    Db_Outcome outcome;
    Statement check = db_.prepare("PRAGMA integrity_check(1)", outcome);
    if (!outcome) return outcome;
    const std::string verdict = check.step() ? check.text(0) : "";
    if (!check.outcome()) return check.outcome();
    if (verdict != "ok") return {Db_Failure::Corrupt, verdict};
  }
  if (Db_Outcome outcome = query_number(db_, "PRAGMA user_version", version); !outcome) return outcome;
  if (Db_Outcome outcome = query_number(db_, "SELECT count(*) FROM sqlite_schema", objects); !outcome) return outcome;
  if (application == 0 && version == 0 && objects == 0) {
    empty_ = true;
    return {};
  }
  if (application != Application_Id) return {Db_Failure::Foreign, ""};
  if (version > Schema_Version) return {Db_Failure::Too_New, ""};
  version_ = static_cast<int>(version);
  return {};
}

template <typename Body>
Db_Outcome SQLite_History::transaction(Body&& body, const char* begin) {
  if (Db_Outcome outcome = db_.exec(begin); !outcome) return outcome;
  Db_Outcome outcome = body();
  if (outcome) outcome = db_.exec("COMMIT");
  if (!outcome) db_.exec("ROLLBACK");  // fails harmlessly when SQLite has already rolled back
  return outcome;
}

// Inside the transaction that checked the file.
Db_Outcome SQLite_History::bring_up_to_date() {
  std::int64_t version = 0;
  if (Db_Outcome outcome = query_number(db_, "PRAGMA user_version", version); !outcome) return outcome;
  for (auto step = version; step < Schema_Version; ++step)
    if (Db_Outcome outcome = db_.exec(Migrations[step]); !outcome) return outcome;
  if (version == Schema_Version) return {};
  const std::string marks = "PRAGMA application_id = " + std::to_string(Application_Id) +
                            "; PRAGMA user_version = " + std::to_string(Schema_Version);
  empty_ = false;
  version_ = Schema_Version;
  return db_.exec(marks.c_str());
}

Db_Outcome SQLite_History::store_run(const QC_Run& run, Save_Receipt& receipt) {
  receipt = {};
  return transaction([&]() -> Db_Outcome {
    Db_Outcome outcome;
    Statement before = db_.prepare(
        "SELECT station, saved_at FROM runs WHERE substance = ? AND assay_no = ? AND date_key = ?", outcome);
    if (!outcome) return outcome;
    before.bind(1, run.substance).bind(2, run.assay_no).bind(3, run.date_key);
    if (before.step()) receipt = {true, before.text(0), before.text(1)};
    if (!before.outcome()) return before.outcome();
    Statement upsert = db_.prepare(
        "INSERT INTO runs (substance, assay_no, date_key, assay_date, unit, operator, fit, result_file, saved_at,"
        " curve_kind, curve_weighting, curve_order, std_from, std_to, station)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
        " ON CONFLICT (substance, assay_no, date_key) DO UPDATE SET assay_date = excluded.assay_date,"
        " unit = excluded.unit, operator = excluded.operator, fit = excluded.fit,"
        " result_file = excluded.result_file, saved_at = excluded.saved_at, curve_kind = excluded.curve_kind,"
        " curve_weighting = excluded.curve_weighting, curve_order = excluded.curve_order,"
        " std_from = excluded.std_from, std_to = excluded.std_to, station = excluded.station"
        " RETURNING id",
        outcome);
    if (!outcome) return outcome;
    upsert.bind(1, run.substance).bind(2, run.assay_no).bind(3, run.date_key).bind(4, run.assay_date);
    upsert.bind(5, run.unit).bind(6, run.operator_name).bind(7, run.fit).bind(8, run.result_file);
    upsert.bind(9, run.saved_at.empty() ? utc_now() : run.saved_at).bind(10, curve_kind_key(run.curve.kind)).bind(11, run.curve.weighting);
    upsert.bind(12, run.curve.order).bind(13, run.curve.std_from).bind(14, run.curve.std_to).bind(15, run.station);
    if (!upsert.step()) return upsert.outcome() ? Db_Outcome{Db_Failure::Other, "no run number"} : upsert.outcome();
    const std::int64_t id = upsert.integer(0);
    if (Db_Outcome done = upsert.run(); !done) return done;

    Statement clear = db_.prepare("DELETE FROM serum_results WHERE run_id = ?", outcome);
    if (!outcome) return outcome;
    if (Db_Outcome done = clear.bind(1, id).run(); !done) return done;

    Statement insert =
        db_.prepare("INSERT INTO serum_results (run_id, serum, mean, cv, tubes) VALUES (?, ?, ?, ?, ?)", outcome);
    if (!outcome) return outcome;
    for (const Serum_Value& value : run.sera) {
      insert.reset();
      insert.bind(1, id).bind(2, value.serum).bind(3, value.mean).bind(4, value.cv).bind(5, value.tubes);
      if (Db_Outcome done = insert.run(); !done) return done;
    }
    return {};
  });
}

Db_Outcome SQLite_History::load_runs(const std::string* substance, std::vector<QC_Run>& runs) {
  const std::string all_sql = version_ < 2 ? Run_Columns_1 : Run_Columns;
  const std::string one_sql = all_sql + " WHERE substance = ?";
  const char* runs_sql = substance != nullptr ? one_sql.c_str() : all_sql.c_str();
  const char* sera_sql = substance != nullptr
                             ? "SELECT run_id, serum, mean, cv, tubes FROM serum_results JOIN runs ON runs.id ="
                               " serum_results.run_id WHERE runs.substance = ? ORDER BY run_id, serum"
                             : "SELECT run_id, serum, mean, cv, tubes FROM serum_results ORDER BY run_id, serum";
  runs.clear();
  if (empty_) return {};
  // One read transaction, so that a run saved meanwhile by another program is seen whole or not at all.
  if (Db_Outcome outcome = db_.exec("BEGIN"); !outcome) return outcome;
  Db_Outcome outcome;
  {
    Statement select = db_.prepare(runs_sql, outcome);
    if (outcome && substance != nullptr) select.bind(1, *substance);
    std::unordered_map<std::int64_t, std::size_t> index;
    while (outcome && select.step()) {
      QC_Run run;
      run.id = select.integer(0);
      run.substance = select.text(1);
      run.assay_no = select.text(2);
      run.date_key = select.text(3);
      run.assay_date = select.text(4);
      run.unit = select.text(5);
      run.operator_name = select.text(6);
      run.fit = select.text(7);
      run.result_file = select.text(8);
      run.saved_at = select.text(9);
      run.curve = curve_at(select, 10);
      run.station = select.text(15);
      index[run.id] = runs.size();
      runs.push_back(std::move(run));
    }
    if (outcome) outcome = select.outcome();

    Statement sera = db_.prepare(sera_sql, outcome);
    if (outcome && substance != nullptr) sera.bind(1, *substance);
    while (outcome && sera.step()) {
      const auto found = index.find(sera.integer(0));
      if (found == index.end()) continue;
      runs[found->second].sera.push_back(
          {static_cast<int>(sera.integer(1)), sera.optional_real(2), sera.real(3), static_cast<int>(sera.integer(4))});
    }
    if (outcome) outcome = sera.outcome();
  }
  db_.exec("COMMIT");
  if (!outcome) runs.clear();
  return outcome;
}

Db_Outcome SQLite_History::substances(std::vector<std::string>& names) {
  names.clear();
  if (empty_) return {};
  Db_Outcome outcome;
  Statement select = db_.prepare("SELECT DISTINCT substance FROM runs ORDER BY substance", outcome);
  while (outcome && select.step()) names.push_back(select.text(0));
  return outcome ? select.outcome() : outcome;
}

Db_Outcome SQLite_History::kept_targets(const std::string& substance, std::map<int, Kept_Target>& targets) {
  targets.clear();
  if (empty_) return {};
  Db_Outcome outcome;
  Statement select = db_.prepare(version_ < 2 ? Target_Columns_1 : Target_Columns, outcome);
  if (outcome) select.bind(1, substance);
  while (outcome && select.step())
    targets[static_cast<int>(select.integer(0))] = {select.real(1), select.real(2),
                                                    static_cast<int>(select.integer(3)), curve_at(select, 4)};
  return outcome ? select.outcome() : outcome;
}

Db_Outcome SQLite_History::keep_target(const std::string& substance, int serum, const Kept_Target& target) {
  return transaction([&] { return write_target(substance, serum, target); });
}

Db_Outcome SQLite_History::write_target(const std::string& substance, int serum, const Kept_Target& target) {
  Db_Outcome outcome;
  Statement upsert = db_.prepare(
      "INSERT INTO targets (substance, serum, mean, sd, entered_at, from_runs, curve_kind, curve_weighting,"
      " curve_order, std_from, std_to) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
      " ON CONFLICT (substance, serum) DO UPDATE SET mean = excluded.mean, sd = excluded.sd,"
      " entered_at = excluded.entered_at, from_runs = excluded.from_runs, curve_kind = excluded.curve_kind,"
      " curve_weighting = excluded.curve_weighting, curve_order = excluded.curve_order,"
      " std_from = excluded.std_from, std_to = excluded.std_to",
      outcome);
  if (!outcome) return outcome;
  upsert.bind(1, substance).bind(2, serum).bind(3, target.mean).bind(4, target.sd).bind(5, utc_now());
  upsert.bind(6, target.from_runs).bind(7, curve_kind_key(target.curve.kind)).bind(8, target.curve.weighting);
  return upsert.bind(9, target.curve.order).bind(10, target.curve.std_from).bind(11, target.curve.std_to).run();
}

Db_Outcome SQLite_History::delete_run(const QC_Run& run, const std::string& sera, const std::string& deleted_by,
                                      const std::string& reason, const std::map<int, Kept_Target>& targets,
                                      bool& found) {
  found = false;
  if (empty_) return {};
  return transaction([&]() -> Db_Outcome {
    Db_Outcome outcome;
    Statement keep = db_.prepare(
        "INSERT INTO deletions (substance, assay_no, date_key, assay_date, curve, station, saved_at, sera,"
        " deleted_by, deleted_at, reason)"
        " SELECT substance, assay_no, date_key, assay_date, fit, station, saved_at, ?, ?, ?, ? FROM runs"
        " WHERE substance = ? AND assay_no = ? AND date_key = ?",
        outcome);
    if (!outcome) return outcome;
    keep.bind(1, sera).bind(2, deleted_by).bind(3, utc_now()).bind(4, reason).bind(5, run.substance);
    if (Db_Outcome done = keep.bind(6, run.assay_no).bind(7, run.date_key).run(); !done) return done;
    if (db_.changes() == 0) return {};
    found = true;
    Statement remove = db_.prepare("DELETE FROM runs WHERE substance = ? AND assay_no = ? AND date_key = ?", outcome);
    if (!outcome) return outcome;
    if (Db_Outcome done = remove.bind(1, run.substance).bind(2, run.assay_no).bind(3, run.date_key).run(); !done)
      return done;
    for (const auto& [serum, target] : targets)
      if (Db_Outcome done = write_target(run.substance, serum, target); !done) return done;
    return {};
  });
}

Db_Outcome SQLite_History::forget_run(std::int64_t id) {
  return transaction([&]() -> Db_Outcome {
    Db_Outcome outcome;
    Statement remove = db_.prepare("DELETE FROM runs WHERE id = ?", outcome);
    return outcome ? remove.bind(1, id).run() : outcome;
  });
}

Db_Outcome SQLite_History::deleted_runs(std::vector<Deleted_Run>& deleted) {
  deleted.clear();
  if (empty_ || version_ < 2) return {};
  Db_Outcome outcome;
  Statement select = db_.prepare(
      "SELECT substance, assay_no, date_key, assay_date, curve, station, saved_at, sera, deleted_by, deleted_at,"
      " reason FROM deletions ORDER BY id",
      outcome);
  while (outcome && select.step())
    deleted.push_back({select.text(0), select.text(1), select.text(2), select.text(3), select.text(4), select.text(5),
                       select.text(6), select.text(7), select.text(8), select.text(9), select.text(10)});
  return outcome ? select.outcome() : outcome;
}

Db_Outcome SQLite_History::keep_deletion(const Deleted_Run& deleted) {
  return transaction([&]() -> Db_Outcome {
    Db_Outcome outcome;
    Statement insert = db_.prepare(
        "INSERT INTO deletions (substance, assay_no, date_key, assay_date, curve, station, saved_at, sera,"
        " deleted_by, deleted_at, reason) SELECT ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11"
        " WHERE NOT EXISTS (SELECT 1 FROM deletions WHERE substance = ?1 AND assay_no = ?2 AND date_key = ?3"
        " AND deleted_at = ?10)",
        outcome);
    if (!outcome) return outcome;
    const std::string* fields[] = {&deleted.substance, &deleted.assay_no,   &deleted.date_key, &deleted.assay_date,
                                   &deleted.curve,     &deleted.station,    &deleted.saved_at, &deleted.sera,
                                   &deleted.deleted_by, &deleted.deleted_at, &deleted.reason};
    for (int i = 0; i < 11; ++i) insert.bind(i + 1, *fields[i]);
    return insert.run();
  });
}

Db_Outcome SQLite_History::clear_target(const std::string& substance, int serum) {
  return transaction([&]() -> Db_Outcome {
    Db_Outcome outcome;
    Statement remove = db_.prepare("DELETE FROM targets WHERE substance = ? AND serum = ?", outcome);
    if (!outcome) return outcome;
    return remove.bind(1, substance).bind(2, serum).run();
  });
}

}  // namespace quorin::qc
