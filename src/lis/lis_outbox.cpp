#include "lis/lis_outbox.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>

#include "lis/link_address.h"
#include "qc/history_store.h"
#include "qc/qc_history.h"
#include "text/format.h"
#include "text/text_file.h"

namespace quorin::lis {

namespace {

using qc::Db_Failure;
using qc::Db_Outcome;

constexpr int Outbox_Id = 0x51514C31;  // marks a database as this program's LIS outbox
constexpr int Outbox_Version = 1;
constexpr int Busy_Ms = 5000;

const std::string Schema =
    "CREATE TABLE messages (id INTEGER PRIMARY KEY, control_id TEXT NOT NULL UNIQUE, sample TEXT NOT NULL,"
    " message TEXT NOT NULL, queued_at TEXT NOT NULL, tries INTEGER NOT NULL DEFAULT 0,"
    " last_failure TEXT NOT NULL DEFAULT ''); PRAGMA application_id = " +
    std::to_string(Outbox_Id) + "; PRAGMA user_version = " + std::to_string(Outbox_Version);

Db_Outcome number_of(qc::Connection& db, const char* sql, std::int64_t& value) {
  Db_Outcome outcome;
  qc::Statement query = db.prepare(sql, outcome);
  if (!outcome) return outcome;
  value = query.step() ? query.integer(0) : 0;
  return query.outcome();
}

// One transaction around `body`; rolled back when anything in it fails.
template <typename Body>
Db_Outcome transaction(qc::Connection& db, Body&& body) {
  if (Db_Outcome outcome = db.exec("BEGIN IMMEDIATE"); !outcome) return outcome;
  Db_Outcome outcome = body();
  if (outcome) outcome = db.exec("COMMIT");
  if (!outcome) db.exec("ROLLBACK");
  return outcome;
}

// The file's marks and its integrity, and an empty file made an outbox, in one transaction.
Db_Outcome check_or_create(qc::Connection& db) {
  return transaction(db, [&db]() -> Db_Outcome {
    std::int64_t application = 0, version = 0, objects = 0;
    Db_Outcome outcome = number_of(db, "PRAGMA application_id", application);
    if (outcome) {
      qc::Statement check = db.prepare("PRAGMA quick_check(1)", outcome);
      const std::string verdict = outcome && check.step() ? check.text(0) : "";
      if (outcome) outcome = check.outcome();
      if (outcome && verdict != "ok") outcome = {Db_Failure::Corrupt, verdict};
    }
    if (outcome) outcome = number_of(db, "PRAGMA user_version", version);
    if (outcome) outcome = number_of(db, "SELECT count(*) FROM sqlite_schema", objects);
    if (!outcome) return outcome;
    if (application == 0 && version == 0 && objects == 0) return db.exec(Schema.c_str());
    if (application != Outbox_Id) return {Db_Failure::Foreign, ""};
    if (version > Outbox_Version) return {Db_Failure::Too_New, ""};
    return {};
  });
}

// The messages a damaged outbox still gives, in order, up to the first that cannot be read.
std::vector<Outgoing> readable_messages(const std::string& path) {
  std::vector<Outgoing> messages;
  qc::Connection db;
  if (!db.open(path, qc::Connection::Mode::Read, Busy_Ms)) return messages;
  Db_Outcome outcome;
  qc::Statement rows = db.prepare("SELECT control_id, sample, message FROM messages ORDER BY id", outcome);
  while (outcome && rows.step()) messages.push_back({rows.text(0), rows.text(1), rows.text(2)});
  return messages;
}

bool damaged(const Db_Outcome& outcome) {
  return outcome.failure == Db_Failure::Not_Database || outcome.failure == Db_Failure::Corrupt ||
         outcome.failure == Db_Failure::Foreign;
}

// A host as part of a file name: letters, digits, "." and "-"; anything else "_".
std::string file_name_part(const std::string& host) {
  std::string part;
  for (const unsigned char c : host)
    part += std::isalnum(c) || c == '.' || c == '-' ? static_cast<char>(std::tolower(c)) : '_';
  return part;
}

// The outbox's folder made when it is missing; told in the user's terms when it cannot be made or
// a new outbox could not be written in it (SQLite's own words say neither).
Db_Outcome make_folder(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const std::string where = ": " + folder.string() + " (";
  if (error) {
    std::error_code ignored;
    const bool file_there = std::filesystem::exists(folder, ignored) && !std::filesystem::is_directory(folder, ignored);
    return {Db_Failure::Missing,
            "送信待ちのフォルダーを作れません" + where +
                (file_there ? "同じ名前のファイルがあります" : text::system_reason(error.value())) + ")"};
  }
  if (::access(folder.c_str(), W_OK | X_OK) != 0)
    return {Db_Failure::Missing, "送信待ちのフォルダーに書き込めません" + where + text::system_reason(errno) + ")"};
  return {};
}

}  // namespace

std::string lis_outbox_path(const LIS_Link& link) {
  const std::string history = qc::default_history_path();
  if (history.empty()) return "";
  const std::string name = "lis-" + file_name_part(link.host) + "-" + text::bare_text(link.port) + ".sqlite";
  return (std::filesystem::path(history).parent_path() / "outbox" / name).string();
}

LIS_Outbox::~LIS_Outbox() {
  if (lock_fd_ >= 0) ::close(lock_fd_);
}

Db_Outcome LIS_Outbox::open_file() {
  db_ = qc::Connection();
  qc::Connection db;
  Db_Outcome outcome = db.open(path_, qc::Connection::Mode::Write, Busy_Ms);
  // Write-ahead logging: each acknowledgement is one short commit. After a power cut the last of
  // them may be lost; those messages go again with their control IDs, and the LIS drops them.
  if (outcome) outcome = db.exec("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL");
  if (outcome) outcome = check_or_create(db);
  if (outcome) db_ = std::move(db);
  return outcome;
}

Db_Outcome LIS_Outbox::open(const LIS_Link& link, std::string& set_aside) {
  set_aside.clear();
  path_ = lis_outbox_path(link);
  if (path_.empty()) return {Db_Failure::Cannot_Open, "HOME が設定されていません"};
  if (Db_Outcome folder = make_folder(std::filesystem::path(path_).parent_path()); !folder) return folder;
  const Db_Outcome outcome = open_file();
  return damaged(outcome) ? set_aside_damaged(set_aside, link_name(link)) : outcome;
}

Db_Outcome LIS_Outbox::set_aside_damaged(std::string& told, const std::string& name) {
  db_ = qc::Connection();
  // "<name>.damaged-2026-12-01T17-05-09.412.sqlite", numbered on when that name is taken.
  std::string when;
  for (const char c : qc::utc_now()) when += c == ' ' ? 'T' : c == ':' ? '-' : c;
  const std::string base = path_.substr(0, path_.size() - std::string(".sqlite").size()) + ".damaged-" + when;
  std::string aside = base + ".sqlite";
  std::error_code error;
  for (int n = 2; std::filesystem::exists(aside, error) || error; ++n) {
    if (error || n > 99) return {Db_Failure::Corrupt, "壊れたファイルを移せません: " + aside};
    aside = base + "-" + std::to_string(n) + ".sqlite";
  }
  std::filesystem::rename(path_, aside, error);
  if (error) return {Db_Failure::Corrupt, "壊れたファイルを移せません: " + error.message()};
  // The log of a write-ahead journal goes with its file; the shared-memory index is remade.
  if (std::filesystem::exists(path_ + "-wal", error)) std::filesystem::rename(path_ + "-wal", aside + "-wal", error);
  std::filesystem::remove(path_ + "-shm", error);

  const std::vector<Outgoing> readable = readable_messages(aside);
  Db_Outcome outcome = open_file();
  if (outcome) outcome = queue(readable);
  told = "LIS " + name + " の送信待ちファイルが壊れているか別のファイルだったため、" + aside +
         " として残しました (読めたメッセージ " + text::bare_text(static_cast<long long>(readable.size())) +
         " 件は送信待ちに戻しました)。このファイルから読めなかったメッセージは LIS に送られていません。"
         "中を確かめ、必要なものは手で LIS に届けてください";
  return outcome;
}

Db_Outcome LIS_Outbox::queue(const std::vector<Outgoing>& messages) {
  if (messages.empty()) return {};
  return transaction(db_, [&]() -> Db_Outcome {
    Db_Outcome outcome;
    qc::Statement insert =
        db_.prepare("INSERT INTO messages (control_id, sample, message, queued_at) VALUES (?, ?, ?, ?)", outcome);
    const std::string now = qc::utc_now();
    for (std::size_t i = 0; outcome && i < messages.size(); ++i) {
      insert.bind(1, messages[i].control_id).bind(2, messages[i].sample).bind(3, messages[i].text).bind(4, now);
      outcome = insert.run();
      insert.reset();
    }
    return outcome;
  });
}

Db_Outcome LIS_Outbox::waiting_after(std::int64_t after, int count, std::vector<Waiting_Message>& into) {
  into.clear();
  Db_Outcome outcome;
  qc::Statement rows =
      db_.prepare("SELECT id, control_id, sample, message FROM messages WHERE id > ? ORDER BY id LIMIT ?", outcome);
  if (!outcome) return outcome;
  rows.bind(1, after).bind(2, count);
  while (rows.step()) into.push_back({rows.integer(0), {rows.text(1), rows.text(2), rows.text(3)}});
  return rows.outcome();
}

Db_Outcome LIS_Outbox::waiting_count(long& count) {
  std::int64_t n = 0;
  const Db_Outcome outcome = number_of(db_, "SELECT count(*) FROM messages", n);
  count = static_cast<long>(n);
  return outcome;
}

Db_Outcome LIS_Outbox::acknowledged(std::int64_t id) {
  Db_Outcome outcome;
  qc::Statement remove = db_.prepare("DELETE FROM messages WHERE id = ?", outcome);
  return outcome ? remove.bind(1, id).run() : outcome;
}

Db_Outcome LIS_Outbox::not_accepted(std::int64_t id, const std::string& why) {
  Db_Outcome outcome;
  qc::Statement note = db_.prepare("UPDATE messages SET tries = tries + 1, last_failure = ? WHERE id = ?", outcome);
  return outcome ? note.bind(1, why).bind(2, id).run() : outcome;
}

bool LIS_Outbox::lock_for_sending() {
  if (lock_fd_ < 0) lock_fd_ = ::open((path_ + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  // Without a lock file (a read-only folder fails earlier) nothing is known of others: send.
  return lock_fd_ < 0 || ::flock(lock_fd_, LOCK_EX | LOCK_NB) == 0;
}

std::string outbox_message(const std::string& path, const Db_Outcome& outcome) {
  std::string why;
  switch (outcome.failure) {
    case Db_Failure::Busy: why = "他のプログラムが使用中です"; break;
    case Db_Failure::Full: why = "ディスクの空きがないか、書き込めません"; break;
    case Db_Failure::Read_Only: why = "書き込みが許可されていません"; break;
    case Db_Failure::Too_New: why = "新しい版のプログラムで作られたファイルです"; break;
    case Db_Failure::Missing: break;  // the folder: the detail says it all
    case Db_Failure::Corrupt:
    case Db_Failure::Not_Database:
    case Db_Failure::Foreign: why = "ファイルが壊れています"; break;
    default: why = "開けません";
  }
  if (!outcome.detail.empty()) why += (why.empty() ? "" : ": ") + outcome.detail;
  if (path.empty()) return "LIS の送信待ちファイルを置く場所がありません (" + outcome.detail + ")";
  return "LIS の送信待ちファイルを使えません: " + path + " (" + why + ")";
}

}  // namespace quorin::lis
