#include "qc/sqlite_db.h"

#include <sqlite3.h>

#include <cerrno>
#include <filesystem>

namespace quorin::qc {

namespace {

Db_Failure failure_of(int code, int system_error) {
  switch (code & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return Db_Failure::None;
    case SQLITE_NOTADB: return Db_Failure::Not_Database;
    case SQLITE_CORRUPT: return Db_Failure::Corrupt;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return Db_Failure::Busy;
    case SQLITE_FULL: return Db_Failure::Full;
    case SQLITE_READONLY:
    case SQLITE_PERM: return Db_Failure::Read_Only;
    case SQLITE_CANTOPEN:
      return system_error == EACCES || system_error == EPERM || system_error == EROFS ? Db_Failure::Read_Only
                                                                                      : Db_Failure::Cannot_Open;
    case SQLITE_IOERR:
      // A write cut short by a full disk or the process's file-size limit: SQLite does not always
      // keep the system's error number of a failed write, so a failed write counts as full.
      if (code == SQLITE_IOERR_WRITE || system_error == ENOSPC || system_error == EFBIG || system_error == EDQUOT)
        return Db_Failure::Full;
      if (system_error == EACCES || system_error == EPERM || system_error == EROFS) return Db_Failure::Read_Only;
      return Db_Failure::Other;
    default: return Db_Failure::Other;
  }
}

}  // namespace

Connection::~Connection() { sqlite3_close_v2(db_); }

Connection& Connection::operator=(Connection&& other) noexcept {
  if (this != &other) {
    sqlite3_close_v2(db_);
    db_ = other.db_;
    other.db_ = nullptr;
  }
  return *this;
}

Db_Outcome Connection::open(const std::string& path, Mode mode, int busy_ms) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (std::filesystem::exists(status)) {
    if (!std::filesystem::is_regular_file(status)) return {Db_Failure::Cannot_Open, "通常のファイルではありません"};
  } else if (mode != Mode::Write) {
    return {Db_Failure::Missing, ""};
  }
  // Reading opens for writing too where the file allows it, so that SQLite can roll back what a
  // program that stopped in the middle of a write left in its journal.
  const int flags = mode == Mode::Salvage ? SQLITE_OPEN_READONLY
                    : mode == Mode::Read  ? SQLITE_OPEN_READWRITE
                                          : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  sqlite3* db = nullptr;
  const int code = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (code != SQLITE_OK) {
    const int system_error = db != nullptr ? sqlite3_system_errno(db) : 0;
    Db_Outcome outcome{failure_of(code, system_error), db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code)};
    sqlite3_close_v2(db);
    return outcome;
  }
  sqlite3_close_v2(db_);
  db_ = db;
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, busy_ms);
  return {};
}

Db_Outcome Connection::exec(const char* sql) {
  const int code = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  return code == SQLITE_OK ? Db_Outcome{} : failure(code);
}

Statement Connection::prepare(const char* sql, Db_Outcome& outcome) {
  sqlite3_stmt* statement = nullptr;
  const int code = sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr);
  outcome = code == SQLITE_OK ? Db_Outcome{} : failure(code);
  return Statement(this, statement);
}

Db_Outcome Connection::failure(int code) const {
  const int system_error = sqlite3_system_errno(db_);
  return {failure_of(code, system_error), sqlite3_errmsg(db_)};
}

std::int64_t Connection::last_insert_id() const { return sqlite3_last_insert_rowid(db_); }

int Connection::changes() const { return sqlite3_changes(db_); }

Statement::~Statement() { sqlite3_finalize(statement_); }

Statement::Statement(Statement&& other) noexcept
    : connection_(other.connection_), statement_(other.statement_), outcome_(std::move(other.outcome_)) {
  other.statement_ = nullptr;
}

Statement& Statement::bind(int index, std::string_view text) {
  sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  return *this;
}

Statement& Statement::bind(int index, std::int64_t value) {
  sqlite3_bind_int64(statement_, index, value);
  return *this;
}

Statement& Statement::bind(int index, double value) {
  sqlite3_bind_double(statement_, index, value);
  return *this;
}

Statement& Statement::bind(int index, std::optional<double> value) {
  if (value) return bind(index, *value);
  sqlite3_bind_null(statement_, index);
  return *this;
}

bool Statement::step() {
  // After a failure SQLite would run the statement again: it stays failed until reset.
  if (statement_ == nullptr || !outcome_) return false;
  const int code = sqlite3_step(statement_);
  if (code == SQLITE_ROW) return true;
  if (code != SQLITE_DONE) outcome_ = connection_->failure(code);
  return false;
}

Db_Outcome Statement::run() {
  while (step()) {}
  return outcome_;
}

void Statement::reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
  outcome_ = {};
}

std::string Statement::text(int column) const {
  const auto* bytes = sqlite3_column_text(statement_, column);
  return bytes == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(bytes));
}

std::int64_t Statement::integer(int column) const { return sqlite3_column_int64(statement_, column); }

double Statement::real(int column) const { return sqlite3_column_double(statement_, column); }

std::optional<double> Statement::optional_real(int column) const {
  if (sqlite3_column_type(statement_, column) == SQLITE_NULL) return std::nullopt;
  return real(column);
}

}  // namespace quorin::qc
