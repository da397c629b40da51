#pragma once
// One assay as the control-serum history keeps it: who measured what and when, on which
// station, the curve the results were read off, the result file, and per control serum its mean
// concentration, CV and number of tubes. A run is known by its substance, assay number and date: saving the same assay
// again replaces its run.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "qc/run_curve.h"

namespace quorin {
struct Assay_State;
}

namespace quorin::qc {

struct Serum_Value {
  int serum = 0;               // 1 .. Max_Sera
  std::optional<double> mean;  // none when the serum gave no concentration (a mean of 0)
  double cv = 0;               // concentration CV, percent
  int tubes = 0;               // measured tubes
};

struct QC_Run {
  std::int64_t id = 0;  // the stored run's number; 0 for a run not stored
  std::string substance;
  std::string assay_no;
  std::string assay_date;  // as typed on the conditions screen
  std::string date_key;    // see date_key()
  std::string unit;
  std::string operator_name;
  std::string fit;  // curve_text(curve), kept for older readers of the file
  Run_Curve curve;  // the curve the concentrations were read off
  std::string station;  // the host name of the computer that saved it
  std::string result_file;
  std::string saved_at;  // when it was stored, UTC, "2026-12-01 17:05:09.412"
  std::vector<Serum_Value> sera;

  // The value of serum s, or nullptr when the run has none.
  const Serum_Value* serum(int s) const;
  bool same_assay(const QC_Run& other) const {
    return substance == other.substance && assay_no == other.assay_no && date_key == other.date_key;
  }
};

// The date as the history orders and identifies runs: "YYYY-MM-DD" when the typed date is a
// year of four digits, a month and a day in that order with any separators ("2026/12/1",
// "2026.12.01", "2026年12月1日"); otherwise the typed text itself (trimmed).
std::string date_key(std::string_view typed_date);

// True when a runs before b: by date key, then assay number, then the order they were stored.
bool runs_in_order(const QC_Run& a, const QC_Run& b);

// The run of the assay being worked on, from its conditions, the curve in force and the
// control-serum results the program computed (Sera_Data, Sera_Tube_N); the result file as given.
QC_Run current_run(const Assay_State& state, const std::string& result_file);

// Why the assay cannot be kept in the history ("" when it can): a run needs a substance, an
// assay number and a date to be told apart from the others.
std::string identity_problem(const QC_Run& run);

// The host name of this computer, "" when it has none.
std::string station_name();

}  // namespace quorin::qc
