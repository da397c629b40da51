#pragma once
// The few calls of the SQLite 3 C API the history store makes, behind a connection and a
// statement that close themselves. Nothing else of the program includes <sqlite3.h>.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "qc/db_outcome.h"

struct sqlite3;
struct sqlite3_stmt;

namespace quorin::qc {

class Statement;

class Connection {
 public:
  enum class Mode { Read, Write, Salvage };
  Connection() = default;
  ~Connection();
  Connection(Connection&& other) noexcept : db_(other.db_) { other.db_ = nullptr; }
  Connection& operator=(Connection&& other) noexcept;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Opens the file: Read never creates it (Missing when it does not exist), Write creates an
  // empty one when it does not exist, Salvage reads a damaged file and never writes to it. Another program's lock is
  // waited for up to busy_ms.
  Db_Outcome open(const std::string& path, Mode mode, int busy_ms);
  bool is_open() const { return db_ != nullptr; }

  // Runs statements without results (several, separated by ";").
  Db_Outcome exec(const char* sql);
  // Prepares one statement; the outcome tells why when it cannot be.
  Statement prepare(const char* sql, Db_Outcome& outcome);
  // The outcome of the last failed call, from SQLite's codes and the system's error number.
  Db_Outcome failure(int code) const;
  std::int64_t last_insert_id() const;
  // The rows the last INSERT, UPDATE or DELETE changed.
  int changes() const;

 private:
  sqlite3* db_ = nullptr;
};

class Statement {
 public:
  Statement() = default;
  Statement(const Connection* connection, sqlite3_stmt* statement) : connection_(connection), statement_(statement) {}
  ~Statement();
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&&) = delete;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Parameters are numbered from 1.
  Statement& bind(int index, std::string_view text);
  Statement& bind(int index, std::int64_t value);
  Statement& bind(int index, int value) { return bind(index, static_cast<std::int64_t>(value)); }
  Statement& bind(int index, double value);
  Statement& bind(int index, std::optional<double> value);

  // One step: true while a row is ready; false at the end or on failure (see outcome()).
  bool step();
  // Runs a statement without results to its end.
  Db_Outcome run();
  // Makes the statement ready for new parameters.
  void reset();
  const Db_Outcome& outcome() const { return outcome_; }

  // Columns of the current row, numbered from 0.
  std::string text(int column) const;
  std::int64_t integer(int column) const;
  double real(int column) const;
  std::optional<double> optional_real(int column) const;

 private:
  const Connection* connection_ = nullptr;
  sqlite3_stmt* statement_ = nullptr;
  Db_Outcome outcome_;
};

}  // namespace quorin::qc
