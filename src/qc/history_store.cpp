#include "qc/history_store.h"

#include <algorithm>
#include <ctime>
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
};
static_assert(std::size(Migrations) == History_Store::Schema_Version);

constexpr const char* Run_Columns =
    "SELECT id, substance, assay_no, date_key, assay_date, unit, operator, fit, result_file, saved_at FROM runs";

std::string now_utc() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
  return text;
}

// One whole number from a query such as "PRAGMA user_version".
Db_Outcome query_number(Connection& db, const char* sql, std::int64_t& value) {
  Db_Outcome outcome;
  Statement statement = db.prepare(sql, outcome);
  if (!outcome) return outcome;
  value = statement.step() ? statement.integer(0) : 0;
  return statement.outcome();
}

}  // namespace

Db_Outcome History_Store::open(const std::string& path, Connection::Mode mode, int busy_ms) {
  db_ = Connection();
  empty_ = false;
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
Db_Outcome History_Store::check_file() {
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
  return {};
}

template <typename Body>
Db_Outcome History_Store::transaction(Body&& body, const char* begin) {
  if (Db_Outcome outcome = db_.exec(begin); !outcome) return outcome;
  Db_Outcome outcome = body();
  if (outcome) outcome = db_.exec("COMMIT");
  if (!outcome) db_.exec("ROLLBACK");  // fails harmlessly when SQLite has already rolled back
  return outcome;
}

// Inside the transaction that checked the file.
Db_Outcome History_Store::bring_up_to_date() {
  std::int64_t version = 0;
  if (Db_Outcome outcome = query_number(db_, "PRAGMA user_version", version); !outcome) return outcome;
  for (auto step = version; step < Schema_Version; ++step)
    if (Db_Outcome outcome = db_.exec(Migrations[step]); !outcome) return outcome;
  if (version == Schema_Version) return {};
  const std::string marks = "PRAGMA application_id = " + std::to_string(Application_Id) +
                            "; PRAGMA user_version = " + std::to_string(Schema_Version);
  empty_ = false;
  return db_.exec(marks.c_str());
}

Db_Outcome History_Store::store_run(const QC_Run& run) {
  return transaction([&]() -> Db_Outcome {
    Db_Outcome outcome;
    Statement upsert = db_.prepare(
        "INSERT INTO runs (substance, assay_no, date_key, assay_date, unit, operator, fit, result_file, saved_at)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"
        " ON CONFLICT (substance, assay_no, date_key) DO UPDATE SET assay_date = excluded.assay_date,"
        " unit = excluded.unit, operator = excluded.operator, fit = excluded.fit,"
        " result_file = excluded.result_file, saved_at = excluded.saved_at"
        " RETURNING id",
        outcome);
    if (!outcome) return outcome;
    upsert.bind(1, run.substance).bind(2, run.assay_no).bind(3, run.date_key).bind(4, run.assay_date);
    upsert.bind(5, run.unit).bind(6, run.operator_name).bind(7, run.fit).bind(8, run.result_file);
    upsert.bind(9, now_utc());
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

Db_Outcome History_Store::load_runs(const char* runs_sql, const char* sera_sql, const std::string* substance,
                                    std::vector<QC_Run>& runs) {
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
  if (!outcome) {
    runs.clear();
    return outcome;
  }
  std::stable_sort(runs.begin(), runs.end(), [](const QC_Run& a, const QC_Run& b) {
    if (a.substance != b.substance) return a.substance < b.substance;
    return runs_in_order(a, b);
  });
  return {};
}

Db_Outcome History_Store::runs_of(const std::string& substance, std::vector<QC_Run>& runs) {
  static const std::string runs_sql = std::string(Run_Columns) + " WHERE substance = ?";
  return load_runs(runs_sql.c_str(),
                   "SELECT run_id, serum, mean, cv, tubes FROM serum_results"
                   " JOIN runs ON runs.id = serum_results.run_id WHERE runs.substance = ? ORDER BY run_id, serum",
                   &substance, runs);
}

Db_Outcome History_Store::all_runs(std::vector<QC_Run>& runs) {
  return load_runs(Run_Columns, "SELECT run_id, serum, mean, cv, tubes FROM serum_results ORDER BY run_id, serum",
                   nullptr, runs);
}

Db_Outcome History_Store::substances(std::vector<std::string>& names) {
  names.clear();
  if (empty_) return {};
  Db_Outcome outcome;
  Statement select = db_.prepare("SELECT DISTINCT substance FROM runs ORDER BY substance", outcome);
  while (outcome && select.step()) names.push_back(select.text(0));
  return outcome ? select.outcome() : outcome;
}

Db_Outcome History_Store::entered_targets(const std::string& substance, std::map<int, Entered_Target>& targets) {
  targets.clear();
  if (empty_) return {};
  Db_Outcome outcome;
  Statement select = db_.prepare("SELECT serum, mean, sd FROM targets WHERE substance = ?", outcome);
  if (outcome) select.bind(1, substance);
  while (outcome && select.step()) targets[static_cast<int>(select.integer(0))] = {select.real(1), select.real(2)};
  return outcome ? select.outcome() : outcome;
}

Db_Outcome History_Store::enter_target(const std::string& substance, int serum, const Entered_Target& target) {
  return transaction([&]() -> Db_Outcome {
    Db_Outcome outcome;
    Statement upsert = db_.prepare(
        "INSERT INTO targets (substance, serum, mean, sd, entered_at) VALUES (?, ?, ?, ?, ?)"
        " ON CONFLICT (substance, serum) DO UPDATE SET mean = excluded.mean, sd = excluded.sd,"
        " entered_at = excluded.entered_at",
        outcome);
    if (!outcome) return outcome;
    return upsert.bind(1, substance).bind(2, serum).bind(3, target.mean).bind(4, target.sd).bind(5, now_utc()).run();
  });
}

Db_Outcome History_Store::clear_target(const std::string& substance, int serum) {
  return transaction([&]() -> Db_Outcome {
    Db_Outcome outcome;
    Statement remove = db_.prepare("DELETE FROM targets WHERE substance = ? AND serum = ?", outcome);
    if (!outcome) return outcome;
    return remove.bind(1, substance).bind(2, serum).run();
  });
}

std::string history_message(const std::string& path, const Db_Outcome& outcome) {
  std::string why;
  switch (outcome.failure) {
    case Db_Failure::None: return "";
    case Db_Failure::Missing: why = "ファイルがありません"; break;
    case Db_Failure::Cannot_Open: why = "開けません"; break;
    case Db_Failure::Not_Database: why = "SQLite のデータベースではありません"; break;
    case Db_Failure::Corrupt: why = "ファイルが壊れています"; break;
    case Db_Failure::Busy: why = "他のプログラムが使用中です"; break;
    case Db_Failure::Full: why = "ディスクの空きがないか、書き込めません"; break;
    case Db_Failure::Read_Only: why = "書き込みが許可されていません"; break;
    case Db_Failure::Foreign: why = "精度管理の履歴ではないデータベースです"; break;
    case Db_Failure::Too_New: why = "新しい版のプログラムで作られたファイルです"; break;
    case Db_Failure::Other: why = "読み書きに失敗しました"; break;
  }
  if (!outcome.detail.empty() && outcome.failure != Db_Failure::Corrupt) why += ": " + outcome.detail;
  return "精度管理の履歴ファイルを使えません: " + path + " (" + why + ")";
}

}  // namespace quorin::qc
