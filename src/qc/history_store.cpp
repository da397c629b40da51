#include "qc/history_store.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "qc/pg_history.h"
#include "qc/sqlite_history.h"
#include "text/format.h"

namespace quorin::qc {

namespace {

const Db_Outcome Not_Open{Db_Failure::Other, "not open"};

}  // namespace

bool is_server_uri(const std::string& where) {
  return where.starts_with("postgresql://") || where.starts_with("postgres://");
}

std::string shown_uri(const std::string& uri) {
  std::string shown = uri;
  const auto scheme = shown.find("://");
  const auto at = shown.find('@');
  if (scheme != std::string::npos && at != std::string::npos && at > scheme) {
    const auto colon = shown.find(':', scheme + 3);
    if (colon != std::string::npos && colon < at) shown.replace(colon + 1, at - colon - 1, "****");
  }
  if (const auto password = shown.find("password="); password != std::string::npos) {
    const auto end = shown.find('&', password);
    shown.replace(password + 9, (end == std::string::npos ? shown.size() : end) - password - 9, "****");
  }
  return shown;
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
  return backend_ ? backend_->store_run(run, receipt) : Not_Open;
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
            (value.mean ? text::Format(*value.mean, "") : "") + "," + text::Format(value.cv, "") + "," +
            text::bare_text(value.tubes);
  return backend_ ? backend_->delete_run(run, sera, deleted_by, reason, targets, found) : Not_Open;
}

Db_Outcome History_Store::deleted_runs(std::vector<Deleted_Run>& deleted) {
  return backend_ ? backend_->deleted_runs(deleted) : Not_Open;
}

Db_Outcome History_Store::keep_deletion(const Deleted_Run& deleted) {
  return backend_ ? backend_->keep_deletion(deleted) : Not_Open;
}

Db_Outcome History_Store::kept_targets(const std::string& substance, std::map<int, Kept_Target>& targets) {
  return backend_ ? backend_->kept_targets(substance, targets) : Not_Open;
}

Db_Outcome History_Store::keep_target(const std::string& substance, int serum, const Kept_Target& target) {
  return backend_ ? backend_->keep_target(substance, serum, target) : Not_Open;
}

Db_Outcome History_Store::clear_target(const std::string& substance, int serum) {
  return backend_ ? backend_->clear_target(substance, serum) : Not_Open;
}

std::string history_message(const std::string& path, const Db_Outcome& outcome) {
  const bool server = is_server_uri(path);
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
    case Db_Failure::Other: why = "読み書きに失敗しました"; break;
  }
  if (!outcome.detail.empty() && outcome.failure != Db_Failure::Corrupt) why += ": " + outcome.detail;
  return std::string(server ? "精度管理の履歴データベースを使えません: " : "精度管理の履歴ファイルを使えません: ") +
         shown_history(path) + " (" + why + ")";
}

}  // namespace quorin::qc
