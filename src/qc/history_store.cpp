#include "qc/history_store.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "qc/audit.h"
#include "qc/connection_string.h"
#include "qc/pg_history.h"
#include "qc/sqlite_history.h"
#include "text/format.h"

namespace quorin::qc {

namespace {

const Db_Outcome Not_Open{Db_Failure::Other, "not open"};

}  // namespace

bool is_server_uri(const std::string& where) { return names_server(where); }

std::string shown_uri(const std::string& uri) {
  return read_history_name(uri).kind == History_Name::Kind::Server ? uri : "(使えない接続文字列)";
}

Store_Step store_step(const QC_Run& run, const QC_Run* stored, const std::string& deleted_at, Store_Kind kind) {
  const std::string record = run_record(run);
  if (stored != nullptr && run_record(*stored) == record) return Store_Step::Nothing;
  if (kind == Store_Kind::Copy) {
    if (!deleted_at.empty() && deleted_at >= run.saved_at) return Store_Step::Nothing;
    // Two different saves at the same moment: the greater record wins, whichever way the copy goes.
    if (stored != nullptr &&
        (stored->saved_at > run.saved_at || (stored->saved_at == run.saved_at && run_record(*stored) > record)))
      return Store_Step::Nothing;
  }
  return stored != nullptr ? Store_Step::Replace : Store_Step::Insert;
}

bool later_target(const Kept_Target& a, const Kept_Target& b) {
  if (a.entered_at != b.entered_at) return a.entered_at > b.entered_at;
  return target_record(a) > target_record(b);
}

std::string shown_history(const std::string& where) { return is_server_uri(where) ? shown_uri(where) : where; }

std::string utc_now() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm utc{};
  gmtime_r(&now.tv_sec, &utc);
  char text[40];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
  std::snprintf(text + length, sizeof text - length, ".%03ld", now.tv_nsec / 1000000);
  return text;
}

Deleted_Run deletion_of(const QC_Run& stored, const std::string& sera, const std::string& deleted_by,
                        const std::string& reason) {
  return {stored.substance, stored.assay_no, stored.date_key, stored.assay_date,
          stored.fit,       stored.station,  stored.saved_at, sera,
          deleted_by,       utc_now(),       reason};
}

Db_Outcome History_Backend::read_run(const QC_Run& assay, std::optional<QC_Run>& run) {
  std::vector<QC_Run> runs;
  const Db_Outcome outcome = read_runs(nullptr, &assay, runs);
  run.reset();
  if (!runs.empty()) run = std::move(runs.front());
  return outcome;
}

Db_Outcome History_Backend::store_decision(const QC_Run& run, Store_Kind kind, Save_Receipt& receipt,
                                           std::optional<QC_Run>& stored, bool& write) {
  receipt = {};
  write = false;
  std::string deleted_at;
  if (Db_Outcome outcome = read_run(run, stored); !outcome) return outcome;
  if (kind == Store_Kind::Copy)
    if (Db_Outcome outcome = latest_deletion(run, deleted_at); !outcome) return outcome;
  write = store_step(run, stored ? &*stored : nullptr, deleted_at, kind) != Store_Step::Nothing;
  if (!write) receipt.unchanged = true;
  else if (stored) receipt = {true, false, stored->station, stored->saved_at};
  return {};
}

Db_Outcome History_Backend::stored_row(const QC_Run& run, Store_Kind kind, const std::optional<QC_Run>& stored) {
  const char* action = kind == Store_Kind::Copy ? Audit_Copy_Run : stored ? Audit_Replace : Audit_Save;
  return append(
      audit_row(action, run.substance, run.assay_no, run.date_key, stored ? run_record(*stored) : "", run_record(run)));
}

Db_Outcome History_Backend::change_target(const std::string& substance, int serum, const Kept_Target& target,
                                          Store_Kind kind, bool& changed) {
  changed = false;
  std::vector<Target_Entry> there;
  if (Db_Outcome outcome = read_targets(&substance, serum, there); !outcome) return outcome;
  const Kept_Target* before = there.empty() ? nullptr : &there.front().target;
  if (before != nullptr &&
      (target_record(*before) == target_record(target) || (kind == Store_Kind::Copy && !later_target(target, *before))))
    return {};
  if (Db_Outcome outcome = write_target(substance, serum, target); !outcome) return outcome;
  changed = true;
  return append(audit_row(kind == Store_Kind::Copy ? Audit_Copy_Target : Audit_Target_Enter, substance, "", "",
                          before != nullptr ? target_record(*before) : "", target_record(target), "", serum));
}

Db_Outcome History_Backend::keep_targets(const std::string& substance, const std::map<int, Kept_Target>& targets,
                                         const std::string& reason) {
  for (const auto& [serum, target] : targets) {
    std::vector<Target_Entry> there;
    if (Db_Outcome outcome = read_targets(&substance, serum, there); !outcome) return outcome;
    if (Db_Outcome outcome = write_target(substance, serum, target); !outcome) return outcome;
    if (Db_Outcome outcome = append(audit_row(Audit_Target_Keep, substance, "", "",
                                              there.empty() ? "" : target_record(there.front().target),
                                              target_record(target), reason, serum));
        !outcome)
      return outcome;
  }
  return {};
}

Db_Outcome History_Backend::record_existing(int version) {
  std::vector<QC_Run> runs;
  std::vector<Target_Entry> targets;
  std::vector<Deleted_Run> deleted;
  Db_Outcome outcome = read_runs(nullptr, nullptr, runs);
  if (outcome) outcome = read_targets(nullptr, 0, targets);
  if (outcome) outcome = read_deletions(deleted);
  for (const Audit_Row& row : migration_rows(version, runs, targets, deleted))
    if (outcome) outcome = append(row);
  return outcome;
}

Db_Outcome History_Store::open(const std::string& where, Connection::Mode mode, int busy_ms) {
  backend_.reset();
  Db_Outcome outcome;
  if (is_server_uri(where)) {
    auto server = std::make_unique<PG_History>();
    if (outcome = server->open(where, mode); outcome) backend_ = std::move(server);
  } else {
    auto file = std::make_unique<SQLite_History>();
    if (outcome = file->open(where, mode, busy_ms); outcome) backend_ = std::move(file);
  }
  return outcome;
}

Db_Outcome History_Store::store_run(const QC_Run& run) {
  Save_Receipt ignored;
  return store_run(run, ignored);
}

Db_Outcome History_Store::store_run(const QC_Run& run, Save_Receipt& receipt) {
  if (!backend_) return Not_Open;
  if (!run.saved_at.empty()) return backend_->store_run(run, Store_Kind::Save, receipt);
  QC_Run now = run;
  now.saved_at = utc_now();
  return backend_->store_run(now, Store_Kind::Save, receipt);
}

Db_Outcome History_Store::copy_run(const QC_Run& run, Save_Receipt& receipt) {
  return backend_ ? backend_->store_run(run, Store_Kind::Copy, receipt) : Not_Open;
}

Db_Outcome History_Store::sorted(const std::string* substance, std::vector<QC_Run>& runs) {
  if (!backend_) return Not_Open;
  const Db_Outcome outcome = backend_->load_runs(substance, runs);
  std::stable_sort(runs.begin(), runs.end(), [](const QC_Run& a, const QC_Run& b) {
    if (a.substance != b.substance) return a.substance < b.substance;
    return runs_in_order(a, b);
  });
  return outcome;
}

Db_Outcome History_Store::runs_of(const std::string& substance, std::vector<QC_Run>& runs) {
  return sorted(&substance, runs);
}

Db_Outcome History_Store::all_runs(std::vector<QC_Run>& runs) { return sorted(nullptr, runs); }

Db_Outcome History_Store::substances(std::vector<std::string>& names) {
  return backend_ ? backend_->substances(names) : Not_Open;
}

Db_Outcome History_Store::delete_run(const QC_Run& run, const std::string& deleted_by, const std::string& reason,
                                     const std::map<int, Kept_Target>& targets, bool& found) {
  found = false;
  std::string sera;
  for (const Serum_Value& value : run.sera)
    sera += (sera.empty() ? "" : ";") + text::bare_text(value.serum) + "=" +
            (value.mean ? exact_text(*value.mean) : "") + "," + exact_text(value.cv) + "," +
            text::bare_text(value.tubes);
  return backend_ ? backend_->delete_run(run, sera, deleted_by, reason, targets, found) : Not_Open;
}

Db_Outcome History_Store::deleted_runs(std::vector<Deleted_Run>& deleted) {
  return backend_ ? backend_->deleted_runs(deleted) : Not_Open;
}

Db_Outcome History_Store::keep_deletion(const Deleted_Run& deleted, bool& changed) {
  changed = false;
  return backend_ ? backend_->keep_deletion(deleted, changed) : Not_Open;
}

Db_Outcome History_Store::kept_targets(const std::string& substance, std::map<int, Kept_Target>& targets) {
  targets.clear();
  std::vector<Target_Entry> entries;
  const Db_Outcome outcome = backend_ ? backend_->targets(&substance, entries) : Not_Open;
  for (Target_Entry& entry : entries) targets[entry.serum] = std::move(entry.target);
  return outcome;
}

Db_Outcome History_Store::all_targets(std::vector<Target_Entry>& targets) {
  return backend_ ? backend_->targets(nullptr, targets) : Not_Open;
}

Db_Outcome History_Store::all_records(History_Records& records) {
  Db_Outcome outcome = all_runs(records.runs);
  if (outcome) outcome = deleted_runs(records.deleted);
  if (outcome) outcome = all_targets(records.targets);
  return outcome;
}

Db_Outcome History_Store::keep_target(const std::string& substance, int serum, const Kept_Target& target) {
  bool changed = false;
  Kept_Target now = target;
  now.entered_at = utc_now();
  return backend_ ? backend_->keep_target(substance, serum, now, Store_Kind::Save, changed) : Not_Open;
}

Db_Outcome History_Store::copy_target(const Target_Entry& entry, bool& changed) {
  changed = false;
  return backend_ ? backend_->keep_target(entry.substance, entry.serum, entry.target, Store_Kind::Copy, changed)
                  : Not_Open;
}

Db_Outcome History_Store::audit_trail(std::vector<Audit_Row>& rows) {
  return backend_ ? backend_->audit_trail(nullptr, rows) : Not_Open;
}

Db_Outcome History_Store::run_trail(const QC_Run& run, std::vector<Audit_Row>& rows) {
  return backend_ ? backend_->audit_trail(&run, rows) : Not_Open;
}

Db_Outcome History_Store::clear_target(const std::string& substance, int serum) {
  return backend_ ? backend_->clear_target(substance, serum) : Not_Open;
}

std::string failure_text(const Db_Outcome& outcome, bool server) {
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
    case Db_Failure::Too_New:
      why = server ? "新しい版のプログラムで作られたデータベースです" : "新しい版のプログラムで作られたファイルです";
      break;
    case Db_Failure::Unreachable: why = "サーバーに接続できません"; break;
    case Db_Failure::Refused: why = "サーバーが拒否しました"; break;
    case Db_Failure::Bad_Name: return outcome.detail;  // says itself why, without the string
    case Db_Failure::Other: why = "読み書きに失敗しました"; break;
  }
  if (!outcome.detail.empty() && outcome.failure != Db_Failure::Corrupt) why += ": " + outcome.detail;
  return why;
}

std::string history_message(const std::string& path, const Db_Outcome& outcome) {
  if (outcome) return "";
  const bool server = is_server_uri(path);
  return std::string(server ? "精度管理の履歴データベースを使えません: " : "精度管理の履歴ファイルを使えません: ") +
         shown_history(path) + " (" + failure_text(outcome, server) + ")";
}

}  // namespace quorin::qc
