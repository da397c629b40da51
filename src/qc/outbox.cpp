#include "qc/outbox.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "qc/qc_history.h"
#include "qc/sqlite_history.h"
#include "text/format.h"

namespace quorin::qc {

namespace {

namespace fs = std::filesystem;

// FNV-1a: a stable file name for a URI.
std::string uri_hash(const std::string& uri) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : uri) hash = (hash ^ c) * 1099511628211ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::string outbox_message(const std::string& path, const Db_Outcome& outcome) {
  return "精度管理の送信待ちファイルを使えません: " + path + " (" + failure_text(outcome, false) + ")";
}

std::string waiting_line(int waiting, const std::string& uri) {
  return "精度管理の記録 " + text::bare_text(waiting) +
         " 回分が送信を待っています。次にこのサーバーへ保存するとき、"
         "または quorin --qc-sync " +
         shown_uri(uri) + " で送ります";
}

std::string replaced_line(const QC_Run& run, const Save_Receipt& receipt) {
  return "精度管理の履歴にあった同じ測定の記録を置き換えました: " + run.substance + "  アッセイＮｏ " + run.assay_no +
         "  実験日 " + run.assay_date + " (" + receipt.replaced_station + " が " + receipt.replaced_saved_at +
         " UTC に保存; 置き換えた値は監査証跡に残ります)";
}

bool damaged(const Db_Outcome& outcome) {
  return outcome.failure == Db_Failure::Not_Database || outcome.failure == Db_Failure::Corrupt ||
         outcome.failure == Db_Failure::Foreign;
}

// "<folder>/<hash>.damaged-20261205-101009.sqlite", a name not taken yet.
std::string aside_path(const std::string& path) {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &utc);
  const fs::path file(path);
  for (int n = 1;; ++n) {
    const std::string name =
        file.stem().string() + ".damaged-" + stamp + (n > 1 ? "-" + std::to_string(n) : "") + ".sqlite";
    const fs::path aside = file.parent_path() / name;
    if (!fs::exists(aside)) return aside.string();
  }
}

// The damaged outboxes of this outbox's server, oldest first.
std::vector<std::string> set_aside_files(const std::string& path) {
  std::vector<std::string> found;
  const fs::path file(path);
  const std::string prefix = file.stem().string() + ".damaged-";
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(file.parent_path(), error)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(prefix) && name.ends_with(".sqlite")) found.push_back(entry.path().string());
  }
  std::sort(found.begin(), found.end());
  return found;
}

// Opens the outbox for writing. A damaged one is set aside (with its journal) and the runs that can
// be read from it go into a new one.
Db_Outcome open_outbox(const std::string& path, SQLite_History& outbox, std::vector<std::string>& lines) {
  Db_Outcome outcome = outbox.open(path, Connection::Mode::Write, Default_Busy_Ms);
  // SQLite opens a write-protected file for reading only and fails at the first write: a run sent
  // from it could never be taken out, and would be sent again after the server had deleted it.
  const std::string folder = fs::path(path).parent_path().string();
  if (outcome && (::access(path.c_str(), W_OK) != 0 || ::access(folder.c_str(), W_OK) != 0))
    return {Db_Failure::Read_Only, std::strerror(errno)};
  if (outcome || !damaged(outcome)) return outcome;
  const std::string aside = aside_path(path);
  std::error_code error;
  fs::rename(path, aside, error);
  if (error) return outcome;
  if (fs::exists(path + "-journal")) fs::rename(path + "-journal", aside + "-journal", error);
  const std::vector<QC_Run> runs = SQLite_History::salvage_runs(aside);
  outcome = outbox.open(path, Connection::Mode::Write, Default_Busy_Ms);
  for (const QC_Run& run : runs) {
    Save_Receipt ignored;
    if (outcome) outcome = outbox.store_run(run, Store_Kind::Save, ignored);
  }
  lines.push_back(
      "精度管理の送信待ちファイルが壊れていたため、" + aside + " に移しました。読めた記録 " +
      text::bare_text(static_cast<long long>(runs.size())) +
      " 回分は送信待ちに戻しました (読めなかった記録があるかもしれません。内容を確かめてから、このファイルを"
      "削除してください)");
  return outcome;
}

}  // namespace

std::string outbox_path(const std::string& uri) {
  const std::string history = default_history_path();
  if (history.empty()) return "";
  return (fs::path(history).parent_path() / "outbox" / (uri_hash(uri) + ".sqlite")).string();
}

namespace {

// Puts the run in the outbox at `path`; `lines` receive what setting a damaged one aside tells.
Db_Outcome put_in_outbox(const std::string& path, const QC_Run& run, std::vector<std::string>& lines) {
  if (path.empty()) return {Db_Failure::Cannot_Open, "HOME が設定されていません"};
  SQLite_History outbox;
  Save_Receipt receipt;
  const Db_Outcome outcome = open_outbox(path, outbox, lines);
  return outcome ? outbox.store_run(run, Store_Kind::Save, receipt) : outcome;
}

}  // namespace

Db_Outcome queue_run(const std::string& uri, QC_Run run) {
  std::vector<std::string> ignored;
  if (run.saved_at.empty()) run.saved_at = utc_now();
  return put_in_outbox(outbox_path(uri), run, ignored);
}

Delivery deliver_run(const std::string& uri, const QC_Run& run, bool confirmed, std::vector<std::string>& lines) {
  const std::string path = outbox_path(uri);
  const Db_Outcome queued = put_in_outbox(path, run, lines);
  if (queued) {
    Send_Report report = send_waiting(uri, confirmed ? &run : nullptr);
    lines.insert(lines.end(), report.lines.begin(), report.lines.end());
    return report.waiting == 0 && !report.outbox_failed ? Delivery::Kept : Delivery::Waiting;
  }
  // The outbox cannot keep the run: it goes to the server at once, or is kept nowhere.
  lines.push_back(outbox_message(path, queued) + "\nこの測定はサーバーへ直接送ります");
  History_Store server;
  Save_Receipt receipt;
  Db_Outcome sent = server.open(uri, Connection::Mode::Write);
  if (sent) sent = server.store_run(run, receipt);
  if (!sent) {
    lines.push_back(history_message(uri, sent) +
                    "\nこの測定の精度管理の記録は、サーバーにも送信待ちにも保存されていません");
    return Delivery::Nowhere;
  }
  if (receipt.replaced && !confirmed) lines.push_back(replaced_line(run, receipt));
  return Delivery::Kept;
}

Send_Report send_waiting(const std::string& uri, const QC_Run* confirmed) {
  Send_Report report;
  const std::string path = outbox_path(uri);
  if (path.empty()) return report;
  if (fs::exists(path)) {
    SQLite_History outbox;
    std::vector<QC_Run> runs;
    Db_Outcome opened = open_outbox(path, outbox, report.lines);
    if (opened) opened = outbox.load_runs(nullptr, runs);
    if (!opened) {
      // What waits is counted, and not sent: a run that could not be taken out would go again and again.
      report.outbox_failed = true;
      report.lines.push_back(outbox_message(path, opened));
      SQLite_History reader;
      if (reader.open(path, Connection::Mode::Read, Default_Busy_Ms) && reader.load_runs(nullptr, runs))
        report.waiting = static_cast<int>(runs.size());
    } else if (!runs.empty()) {
      std::sort(runs.begin(), runs.end(), [](const QC_Run& a, const QC_Run& b) { return a.id < b.id; });
      report.waiting = static_cast<int>(runs.size());
      History_Store server;
      report.failure = server.open(uri, Connection::Mode::Write);
      for (const QC_Run& run : runs) {
        Save_Receipt receipt;
        if (report.failure) report.failure = server.store_run(run, receipt);
        if (!report.failure) break;
        ++report.sent;
        const bool own = confirmed != nullptr && confirmed->same_assay(run) && confirmed->saved_at == run.saved_at;
        if (receipt.replaced && !own) report.lines.push_back(replaced_line(run, receipt));
        if (const Db_Outcome taken = outbox.forget_run(run); !taken) {
          report.outbox_failed = true;
          report.lines.push_back(outbox_message(path, taken));
          break;
        }
        --report.waiting;
      }
      if (!report.failure) report.lines.push_back(history_message(uri, report.failure));
    }
  }
  report.set_aside = set_aside_files(path);
  if (report.waiting > 0) report.lines.push_back(waiting_line(report.waiting, uri));
  return report;
}

}  // namespace quorin::qc
