#pragma once
// The outcome of an operation on the control-serum history, whichever database holds it.

#include <string>

namespace quorin::qc {

// Why an operation on the history file failed, in the terms the user is told.
enum class Db_Failure {
  None,
  Missing,       // the file does not exist (only when it may not be created)
  Cannot_Open,   // the file or its folder cannot be opened or created
  Not_Database,  // the file is not an SQLite database
  Corrupt,       // the database fails its integrity check
  Busy,          // another program holds the file past the busy timeout
  Full,          // the disk (or the allowed file size) is full, or a write failed
  Read_Only,     // the file or its folder may not be written
  Foreign,       // an SQLite database, but not a control-serum history
  Too_New,       // written by a later version of the program
  Unreachable,   // the database server cannot be reached
  Refused,       // the server answers but refuses: the role, its password or a privilege
  Bad_Name,      // a connection string that libpq cannot read or that carries a password: never used
  Other          // anything else the database reports
};

struct Db_Outcome {
  Db_Failure failure = Db_Failure::None;
  std::string detail;  // the database's own words, for the message
  explicit operator bool() const { return failure == Db_Failure::None; }
};

}  // namespace quorin::qc
