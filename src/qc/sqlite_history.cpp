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
    // 2 → 3: the audit trail, which only grows, and the runs a kept target came from.
    "ALTER TABLE targets ADD COLUMN baseline_through TEXT NOT NULL DEFAULT '';"
    "CREATE TABLE audit ("
    "  id INTEGER PRIMARY KEY,"
    "  at TEXT NOT NULL,"
    "  os_user TEXT NOT NULL,"
    "  station TEXT NOT NULL,"
    "  action TEXT NOT NULL,"
    "  substance TEXT NOT NULL,"
    "  assay_no TEXT NOT NULL,"
    "  date_key TEXT NOT NULL,"
    "  serum INTEGER NOT NULL,"
    "  value_before TEXT NOT NULL,"
    "  value_after TEXT NOT NULL,"
    "  reason TEXT NOT NULL,"
    "  previous TEXT NOT NULL,"
    "  hash TEXT NOT NULL);"
    "CREATE INDEX audit_of_run ON audit (substance, assay_no, date_key);"
    "CREATE TRIGGER audit_never_changes BEFORE UPDATE ON audit"
    "  BEGIN SELECT RAISE(ABORT, 'the audit trail only grows'); END;"
    "CREATE TRIGGER audit_never_shrinks BEFORE DELETE ON audit"
    "  BEGIN SELECT RAISE(ABORT, 'the audit trail only grows'); END;",
};
static_assert(std::size(Migrations) == Schema_Version);

// What a reader asks for, by the version of the file: a file of version 1 or 2 (read, not yet
// brought up to date) lacks the newer columns.
std::string run_columns(int version) {
  return std::string(
             "SELECT id, substance, assay_no, date_key, assay_date, unit, operator, fit, result_file, saved_at, ") +
         (version < 2 ? "'unknown', 0, 0, 0, 0, ''"
                      : "curve_kind, curve_weighting, curve_order, std_from, std_to, station") +
         " FROM runs";
}

std::string target_columns(int version) {
  return std::string("SELECT substance, serum, mean, sd, entered_at, ") +
         (version < 2 ? "0, 'unknown', 0, 0, 0, 0"
                      : "from_runs, curve_kind, curve_weighting, curve_order, std_from, std_to") +
         (version < 3 ? ", ''" : ", baseline_through") + " FROM targets";
}

constexpr const char* Assay_Filter = " WHERE substance = ?1 AND assay_no = ?2 AND date_key = ?3";

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

void bind_assay(Statement& statement, const QC_Run& assay) {
  statement.bind(1, assay.substance).bind(2, assay.assay_no).bind(3, assay.date_key);
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

// Inside the transaction that checked the file. An older history's trail begins here, with every
// record it holds.
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
  if (Db_Outcome outcome = db_.exec(marks.c_str()); !outcome || version == 0) return outcome;
  return record_existing(static_cast<int>(version));
}

Db_Outcome SQLite_History::read_runs(const std::string* substance, const QC_Run* assay, std::vector<QC_Run>& runs) {
  runs.clear();
  if (empty_) return {};
  const std::string where = assay != nullptr ? Assay_Filter : substance != nullptr ? " WHERE substance = ?1" : "";
  const std::string runs_sql = run_columns(version_) + where;
  const std::string sera_sql =
      "SELECT run_id, serum, mean, cv, tubes FROM serum_results WHERE run_id IN (SELECT id FROM runs" + where +
      ") ORDER BY run_id, serum";
  Db_Outcome outcome;
  Statement select = db_.prepare(runs_sql.c_str(), outcome);
  if (assay != nullptr) bind_assay(select, *assay);
  else if (substance != nullptr) select.bind(1, *substance);
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

  Statement sera = db_.prepare(sera_sql.c_str(), outcome);
  if (assay != nullptr) bind_assay(sera, *assay);
  else if (substance != nullptr) sera.bind(1, *substance);
  while (outcome && sera.step()) {
    const auto found = index.find(sera.integer(0));
    if (found == index.end()) continue;
    runs[found->second].sera.push_back(
        {static_cast<int>(sera.integer(1)), sera.optional_real(2), sera.real(3), static_cast<int>(sera.integer(4))});
  }
  if (outcome) outcome = sera.outcome();
  if (!outcome) runs.clear();
  return outcome;
}

Db_Outcome SQLite_History::read_targets(const std::string* substance, int serum, std::vector<Target_Entry>& targets) {
  targets.clear();
  if (empty_) return {};
  const std::string sql = target_columns(version_) +
                          (substance == nullptr ? ""
                           : serum > 0          ? " WHERE substance = ?1 AND serum = ?2"
                                                : " WHERE substance = ?1") +
                          " ORDER BY substance, serum";
  Db_Outcome outcome;
  Statement select = db_.prepare(sql.c_str(), outcome);
  if (substance != nullptr) select.bind(1, *substance);
  if (substance != nullptr && serum > 0) select.bind(2, serum);
  while (outcome && select.step()) {
    Kept_Target target{select.real(2),      select.real(3), static_cast<int>(select.integer(5)),
                       curve_at(select, 6), select.text(4), select.text(11)};
    targets.push_back({select.text(0), static_cast<int>(select.integer(1)), std::move(target)});
  }
  return outcome ? select.outcome() : outcome;
}

Db_Outcome SQLite_History::read_deletions(std::vector<Deleted_Run>& deleted) {
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

Db_Outcome SQLite_History::latest_deletion(const QC_Run& assay, std::string& deleted_at) {
  deleted_at.clear();
  Db_Outcome outcome;
  Statement select =
      db_.prepare((std::string("SELECT coalesce(max(deleted_at), '') FROM deletions") + Assay_Filter).c_str(), outcome);
  if (!outcome) return outcome;
  bind_assay(select, assay);
  if (select.step()) deleted_at = select.text(0);
  return select.outcome();
}

Db_Outcome SQLite_History::append(Audit_Row row) {
  Db_Outcome outcome;
  Statement last = db_.prepare("SELECT hash FROM audit ORDER BY id DESC LIMIT 1", outcome);
  if (!outcome) return outcome;
  chain_row(row, last.step() ? last.text(0) : "");
  if (!last.outcome()) return last.outcome();
  Statement insert = db_.prepare(
      "INSERT INTO audit (at, os_user, station, action, substance, assay_no, date_key, serum, value_before,"
      " value_after, reason, previous, hash) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
      outcome);
  if (!outcome) return outcome;
  insert.bind(1, row.at).bind(2, row.user).bind(3, row.station).bind(4, row.action).bind(5, row.substance);
  insert.bind(6, row.assay_no).bind(7, row.date_key).bind(8, row.serum).bind(9, row.before).bind(10, row.after);
  return insert.bind(11, row.reason).bind(12, row.previous).bind(13, row.hash).run();
}

Db_Outcome SQLite_History::remove_run(const QC_Run& assay) {
  Db_Outcome outcome;
  Statement remove = db_.prepare((std::string("DELETE FROM runs") + Assay_Filter).c_str(), outcome);
  if (!outcome) return outcome;
  bind_assay(remove, assay);
  return remove.run();
}

Db_Outcome SQLite_History::store_run(const QC_Run& run, Store_Kind kind, Save_Receipt& receipt) {
  return transaction([&]() -> Db_Outcome {
    std::optional<QC_Run> stored;
    bool write = false;
    if (Db_Outcome outcome = store_decision(run, kind, receipt, stored, write); !outcome || !write) return outcome;
    Db_Outcome outcome;
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
    upsert.bind(9, run.saved_at).bind(10, curve_kind_key(run.curve.kind)).bind(11, run.curve.weighting);
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
    return stored_row(run, kind, stored);
  });
}

Db_Outcome SQLite_History::load_runs(const std::string* substance, std::vector<QC_Run>& runs) {
  runs.clear();
  if (empty_) return {};
  // One read transaction, so that a run saved meanwhile by another program is seen whole or not at all.
  return transaction([&] { return read_runs(substance, nullptr, runs); }, "BEGIN");
}

Db_Outcome SQLite_History::substances(std::vector<std::string>& names) {
  names.clear();
  if (empty_) return {};
  Db_Outcome outcome;
  Statement select = db_.prepare("SELECT DISTINCT substance FROM runs ORDER BY substance", outcome);
  while (outcome && select.step()) names.push_back(select.text(0));
  return outcome ? select.outcome() : outcome;
}

Db_Outcome SQLite_History::targets(const std::string* substance, std::vector<Target_Entry>& targets) {
  return read_targets(substance, 0, targets);
}

Db_Outcome SQLite_History::keep_target(const std::string& substance, int serum, const Kept_Target& target,
                                       Store_Kind kind, bool& changed) {
  return transaction([&] { return change_target(substance, serum, target, kind, changed); });
}

Db_Outcome SQLite_History::write_target(const std::string& substance, int serum, const Kept_Target& target) {
  Db_Outcome outcome;
  Statement upsert = db_.prepare(
      "INSERT INTO targets (substance, serum, mean, sd, entered_at, from_runs, curve_kind, curve_weighting,"
      " curve_order, std_from, std_to, baseline_through) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
      " ON CONFLICT (substance, serum) DO UPDATE SET mean = excluded.mean, sd = excluded.sd,"
      " entered_at = excluded.entered_at, from_runs = excluded.from_runs, curve_kind = excluded.curve_kind,"
      " curve_weighting = excluded.curve_weighting, curve_order = excluded.curve_order,"
      " std_from = excluded.std_from, std_to = excluded.std_to, baseline_through = excluded.baseline_through",
      outcome);
  if (!outcome) return outcome;
  upsert.bind(1, substance).bind(2, serum).bind(3, target.mean).bind(4, target.sd).bind(5, target.entered_at);
  upsert.bind(6, target.from_runs).bind(7, curve_kind_key(target.curve.kind)).bind(8, target.curve.weighting);
  upsert.bind(9, target.curve.order).bind(10, target.curve.std_from).bind(11, target.curve.std_to);
  return upsert.bind(12, target.baseline_through).run();
}

Db_Outcome SQLite_History::delete_run(const QC_Run& run, const std::string& sera, const std::string& deleted_by,
                                      const std::string& reason, const std::map<int, Kept_Target>& targets,
                                      bool& found) {
  found = false;
  if (empty_) return {};
  return transaction([&]() -> Db_Outcome {
    std::optional<QC_Run> stored;
    if (Db_Outcome outcome = read_run(run, stored); !outcome || !stored) return outcome;
    found = true;
    const Deleted_Run deletion = deletion_of(*stored, sera, deleted_by, reason);
    Db_Outcome outcome;
    Statement keep = db_.prepare(
        "INSERT INTO deletions (substance, assay_no, date_key, assay_date, curve, station, saved_at, sera,"
        " deleted_by, deleted_at, reason) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        outcome);
    if (!outcome) return outcome;
    const std::string* fields[] = {&deletion.substance,  &deletion.assay_no,   &deletion.date_key, &deletion.assay_date,
                                   &deletion.curve,      &deletion.station,    &deletion.saved_at, &deletion.sera,
                                   &deletion.deleted_by, &deletion.deleted_at, &deletion.reason};
    for (int i = 0; i < 11; ++i) keep.bind(i + 1, *fields[i]);
    if (Db_Outcome done = keep.run(); !done) return done;
    if (Db_Outcome done = remove_run(run); !done) return done;
    if (Db_Outcome done = append(audit_row(Audit_Delete, run.substance, run.assay_no, run.date_key, run_record(*stored),
                                           deletion_record(deletion), reason));
        !done)
      return done;
    return keep_targets(run.substance, targets, reason);
  });
}

Db_Outcome SQLite_History::forget_run(const QC_Run& run) {
  return transaction([&]() -> Db_Outcome {
    std::optional<QC_Run> stored;
    // A newer save of the assay, put in the outbox while this one was on its way, stays.
    if (Db_Outcome outcome = read_run(run, stored); !outcome || !stored || run_record(*stored) != run_record(run))
      return outcome;
    if (Db_Outcome outcome = remove_run(run); !outcome) return outcome;
    return append(audit_row(Audit_Sent, run.substance, run.assay_no, run.date_key, run_record(run), ""));
  });
}

Db_Outcome SQLite_History::deleted_runs(std::vector<Deleted_Run>& deleted) { return read_deletions(deleted); }

Db_Outcome SQLite_History::keep_deletion(const Deleted_Run& deleted, bool& changed) {
  changed = false;
  QC_Run assay;
  assay.substance = deleted.substance, assay.assay_no = deleted.assay_no, assay.date_key = deleted.date_key;
  return transaction([&]() -> Db_Outcome {
    Db_Outcome outcome;
    Statement insert = db_.prepare(
        "INSERT INTO deletions (substance, assay_no, date_key, assay_date, curve, station, saved_at, sera,"
        " deleted_by, deleted_at, reason) SELECT ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11"
        " WHERE NOT EXISTS (SELECT 1 FROM deletions WHERE substance = ?1 AND assay_no = ?2 AND date_key = ?3"
        " AND deleted_at = ?10)",
        outcome);
    if (!outcome) return outcome;
    const std::string* fields[] = {&deleted.substance,  &deleted.assay_no,   &deleted.date_key, &deleted.assay_date,
                                   &deleted.curve,      &deleted.station,    &deleted.saved_at, &deleted.sera,
                                   &deleted.deleted_by, &deleted.deleted_at, &deleted.reason};
    for (int i = 0; i < 11; ++i) insert.bind(i + 1, *fields[i]);
    if (Db_Outcome done = insert.run(); !done) return done;
    const bool added = db_.changes() > 0;
    std::optional<QC_Run> stored;
    if (Db_Outcome done = read_run(assay, stored); !done) return done;
    const bool removed = stored && stored->saved_at <= deleted.deleted_at;
    if (removed)
      if (Db_Outcome done = remove_run(assay); !done) return done;
    if (!added && !removed) return {};
    changed = true;
    return append(audit_row(Audit_Copy_Delete, deleted.substance, deleted.assay_no, deleted.date_key,
                            removed ? run_record(*stored) : "", deletion_record(deleted), deleted.reason));
  });
}

Db_Outcome SQLite_History::clear_target(const std::string& substance, int serum) {
  return transaction([&]() -> Db_Outcome {
    std::vector<Target_Entry> there;
    if (Db_Outcome outcome = read_targets(&substance, serum, there); !outcome || there.empty()) return outcome;
    Db_Outcome outcome;
    Statement remove = db_.prepare("DELETE FROM targets WHERE substance = ? AND serum = ?", outcome);
    if (!outcome) return outcome;
    if (Db_Outcome done = remove.bind(1, substance).bind(2, serum).run(); !done) return done;
    return append(audit_row(Audit_Target_Clear, substance, "", "", target_record(there.front().target), "", "", serum));
  });
}

Db_Outcome SQLite_History::audit_trail(const QC_Run* run, std::vector<Audit_Row>& rows) {
  rows.clear();
  if (empty_ || version_ < 3) return {};
  const std::string sql =
      std::string(
          "SELECT id, at, os_user, station, action, substance, assay_no, date_key, serum, value_before,"
          " value_after, reason, previous, hash FROM audit") +
      (run != nullptr ? Assay_Filter : "") + " ORDER BY id";
  Db_Outcome outcome;
  Statement select = db_.prepare(sql.c_str(), outcome);
  if (run != nullptr) bind_assay(select, *run);
  while (outcome && select.step()) {
    Audit_Row row;
    row.id = select.integer(0);
    row.at = select.text(1), row.user = select.text(2), row.station = select.text(3), row.action = select.text(4);
    row.substance = select.text(5), row.assay_no = select.text(6), row.date_key = select.text(7);
    row.serum = static_cast<int>(select.integer(8));
    row.before = select.text(9), row.after = select.text(10), row.reason = select.text(11);
    row.previous = select.text(12), row.hash = select.text(13);
    rows.push_back(std::move(row));
  }
  return outcome ? select.outcome() : outcome;
}

std::vector<QC_Run> SQLite_History::salvage_runs(const std::string& path) {
  SQLite_History file;
  std::vector<QC_Run> found;
  if (!file.db_.open(path, Connection::Mode::Salvage, 0)) return found;
  std::int64_t version = Schema_Version;
  if (!query_number(file.db_, "PRAGMA user_version", version) || version < 1 || version > Schema_Version) return found;
  file.version_ = static_cast<int>(version);
  // The assays first, as far as they can be read; then each run on its own, so that a damaged
  // page costs only the runs on it.
  std::vector<QC_Run> assays;
  Db_Outcome outcome;
  Statement select = file.db_.prepare("SELECT substance, assay_no, date_key FROM runs", outcome);
  while (outcome && select.step()) {
    QC_Run assay;
    assay.substance = select.text(0), assay.assay_no = select.text(1), assay.date_key = select.text(2);
    assays.push_back(std::move(assay));
  }
  for (const QC_Run& assay : assays)
    if (std::optional<QC_Run> run; file.read_run(assay, run) && run) found.push_back(std::move(*run));
  return found;
}

}  // namespace quorin::qc
