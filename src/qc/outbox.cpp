#include "qc/outbox.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "qc/qc_history.h"
#include "qc/sqlite_history.h"
#include "text/format.h"

namespace quorin::qc {

namespace {

// FNV-1a: a stable file name for a URI.
std::string uri_hash(const std::string& uri) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : uri) hash = (hash ^ c) * 1099511628211ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::string waiting_line(int waiting, const std::string& uri) {
  return "精度管理の記録 " + text::bare_text(waiting) + " 回分が送信を待っています。次にこのサーバーへ保存するとき、"
         "または quorin --qc-sync " + shown_uri(uri) + " で送ります";
}

}  // namespace

std::string outbox_path(const std::string& uri) {
  const std::string history = default_history_path();
  if (history.empty()) return "";
  return (std::filesystem::path(history).parent_path() / "outbox" / (uri_hash(uri) + ".sqlite")).string();
}

Db_Outcome queue_run(const std::string& uri, QC_Run run) {
  const std::string path = outbox_path(uri);
  if (path.empty()) return {Db_Failure::Cannot_Open, "HOME が設定されていません"};
  if (run.saved_at.empty()) run.saved_at = utc_now();
  SQLite_History outbox;
  Db_Outcome outcome = outbox.open(path, Connection::Mode::Write, Default_Busy_Ms);
  Save_Receipt ignored;
  return outcome ? outbox.store_run(run, ignored) : outcome;
}

Send_Report send_waiting(const std::string& uri) {
  Send_Report report;  // lines: the replacements, and why runs still wait
  const std::string path = outbox_path(uri);
  if (path.empty() || !std::filesystem::exists(path)) return report;
  SQLite_History outbox;
  std::vector<QC_Run> runs;
  report.failure = outbox.open(path, Connection::Mode::Write, Default_Busy_Ms);
  if (report.failure) report.failure = outbox.load_runs(nullptr, runs);
  if (!report.failure) {
    report.lines.push_back("送信待ちの記録を読めません: " + history_message(path, report.failure));
    return report;
  }
  std::sort(runs.begin(), runs.end(), [](const QC_Run& a, const QC_Run& b) { return a.id < b.id; });
  report.waiting = static_cast<int>(runs.size());
  if (runs.empty()) return report;
  History_Store server;
  report.failure = server.open(uri, Connection::Mode::Write);
  for (const QC_Run& run : runs) {
    if (!report.failure) break;
    Save_Receipt receipt;
    if (report.failure = server.store_run(run, receipt); !report.failure) break;
    if (report.failure = outbox.forget_run(run.id); !report.failure) break;
    ++report.sent, --report.waiting;
    // Another save of the same assay (from this station or another) came before: it is replaced.
    if (receipt.replaced && !(receipt.replaced_station == run.station && receipt.replaced_saved_at == run.saved_at))
      report.lines.push_back("精度管理の履歴にあった同じ測定の記録を置き換えました: " + run.substance + "  アッセイＮｏ " +
                             run.assay_no + "  実験日 " + run.assay_date + " (" + receipt.replaced_station + " が " +
                             receipt.replaced_saved_at + " UTC に保存)");
  }
  if (!report.failure) report.lines.push_back(history_message(uri, report.failure));
  if (report.waiting > 0) report.lines.push_back(waiting_line(report.waiting, uri));
  return report;
}

}  // namespace quorin::qc
