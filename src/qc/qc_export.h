#pragma once
// The history for the lab's spreadsheet and for audits: every stored run and serum as one CSV
// line (UTF-8, a header line, CR LF): date, assay number, substance, unit, serum, mean, CV,
// tubes, target mean, target SD, z, the rules the serum broke in that run and the run's
// verdict, the runs of each substance judged as the chart judges them. A text that a spreadsheet
// would run as a formula (beginning with = + - @) is written with a leading apostrophe; numbers,
// negative ones too, are written as numbers.

#include <string>

namespace quorin::qc {

struct Export_Result {
  enum class Kind { Written, Failed, Refused } kind = Kind::Failed;
  std::string message;  // what was written, or why nothing was
};

// Reads the history file (never creating it; SQLite may only roll back a write that another
// program left unfinished) and writes the CSV file in one piece.
// Refused when the CSV file would replace the history file.
Export_Result export_history(const std::string& history_path, const std::string& csv_path);

}  // namespace quorin::qc
