#pragma once
// The command line of the program: no argument (or only the window system's own options) opens
// the screens; "--batch" reduces one assay from its condition file and count data file into a
// result file, as the screens do; "--help" (or "-h") explains both and "--version" tells the
// version. Anything else is a mistake, refused with what is wrong.

#include <optional>
#include <string>
#include <vector>

#include "lis/lis_result.h"

namespace quorin::batch {

// Exit statuses of the command line.
inline constexpr int Exit_Done = 0;
inline constexpr int Exit_Failed = 1;  // the assay could not be reduced; no result file written
inline constexpr int Exit_Usage = 2;   // the command line itself is wrong
// The result file was saved (and the run kept in the history), but the report could not take its
// place: an earlier file of its name stays as it was.
inline constexpr int Exit_Saved_Without_Report = 3;
// The result file was saved, but the assay's run is kept nowhere: not in the history (locked past
// the wait, not writable) and, for a server, neither there nor in its outbox. Comes before 3.
inline constexpr int Exit_Run_Not_Kept = 4;
// --qc-audit: the trail does not hold (a row changed, removed or slipped in), or the history holds
// records that its trail does not account for.
inline constexpr int Exit_Trail_Broken = 5;
// Messages for the LIS were left waiting in its outbox (not acknowledged, or the LIS not reached),
// could not be kept there to wait, or a damaged outbox was set aside (what could not be read from it
// is not sent: a person must look into it). In a batch run the result file was saved; 4 and 3 come first.
inline constexpr int Exit_LIS_Waiting = 6;

struct Batch_Options {
  std::string conditions;          // condition file (.crx)
  std::string counts;              // count data file
  std::string result;              // result file to write
  std::string pdf;                 // report to write, "" for none
  std::string qc;                  // control-serum history to keep the run in, "" for none
  std::string export_csv;          // --qc-export: the CSV file to write from the history qc
  int weight = 0;                  // weighting 0..3; with a 4PL or 5PL that model's weighting 0..2
  int order = 1;                   // 1 straight line, 3 cubic
  std::optional<int> from;         // first standard of the fit, 1 when not given
  std::optional<int> to;           // last standard of the fit, the number of standards when not given
  int model = 0;                   // the curve the results use: 0 the logit-log fit, 1 the 4PL, 2 the 5PL
  std::string ids;                 // --ids: the sample identifiers' list, "" for none
  std::string count_column;        // --count-column: the count file is a counter's export, counts in this column
  std::string id_column;           // --id-column: the export's column of the sample identifiers
  std::string csv;                 // --csv: the results as CSV, "" for none
  std::string xlsx;                // --xlsx: the results as an Excel workbook, "" for none
  std::optional<double> cv_limit;  // --cv-limit: the concentration CV (%) above which a value is flagged
  long first_page = 1;             // --pages A-B: the report's pages printed (last 0: to the end)
  long last_page = 0;
  std::string hl7;                    // --hl7: the samples' HL7 result messages in a file, "" for none
  std::string lis;                    // --lis: HOST:PORT of the LIS the messages are sent to, "" for none
  std::optional<double> lis_timeout;  // --lis-timeout: seconds to wait for the LIS
  // The lab's names in the messages (MSH-4, MSH-5, MSH-6); those not given come from the settings.
  std::optional<std::string> sending_facility, receiving_application, receiving_facility;
};

struct Command_Line {
  enum class Kind { Screens, Help, Version, Batch, QC_Export, QC_Tool, LIS_Sync, Error };
  Kind kind = Kind::Screens;
  Batch_Options options;               // for Batch; for Screens its qc; for QC_Export its qc and export_csv
  std::string error;                   // for Error: what is wrong, in Japanese
  std::vector<std::string> tool = {};  // for QC_Tool: the action ("--qc-delete", "--qc-audit", ...) and its arguments
  lis::LIS_Link lis_link = {};         // for LIS_Sync: the LIS and its time-out
};

// Reads the arguments after the program's name. "--help", "-h" and "--version" are answered
// wherever they stand. With "--batch" anywhere, the options may stand before or after it and
// among the three files; each option takes the next argument as its value and may be given once.
// Without it, "--qc FILE" opens the screens with that history; "--qc-export FILE.sqlite OUT.csv"
// writes a history as CSV; "--lis-sync HOST:PORT [--lis-timeout SECONDS]" sends the messages
// waiting for an LIS.
Command_Line parse_command_line(const std::vector<std::string>& arguments);

// The options with every path made absolute, so that they name the same files from any working
// folder.
Batch_Options with_absolute_paths(Batch_Options options);

// The text of "--help".
std::string usage_text();

}  // namespace quorin::batch
