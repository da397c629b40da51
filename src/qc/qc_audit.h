#pragma once
// Checking a history's audit trail, as a lab shows it to an inspector: the hash chain must hold
// from the first row to the last, and every record the history holds must be the one its trail
// last recorded (a run as last saved, a target as last entered or kept, each deletion as made),
// so that a record changed behind the program's back is found as surely as a changed row. The
// trail is written as CSV (UTF-8, a header line, CR LF), one row per change, oldest first.

#include <string>

namespace quorin::qc {

struct Audit_Result {
  enum class Kind { Holds, Broken, Failed } kind = Kind::Failed;
  std::string message;  // the verdict, naming the first row or record that does not hold
  std::string csv;      // the trail (also when it is broken)
};

// Reads the history (never creating or bringing it forward) and checks its trail.
Audit_Result audit_history(const std::string& where);

}  // namespace quorin::qc
