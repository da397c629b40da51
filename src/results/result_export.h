#pragma once
// The results for a lab's spreadsheet: a CSV file (UTF-8 with a byte-order mark, one row per
// standard, control serum and sample: kind, number, identifier, mean concentration and its 95 %
// interval, unit, dilution-corrected value and its interval, what the intervals rest on, CV %,
// usable tubes, flags, curve in use) and an Excel workbook with the sheets 検体, 管理血清,
// スタンダード and 検量線. Both are saved as every file of the program is: complete or not at all,
// and only from tables computed from the state in force (else the save is refused).

#include <string>

#include "engine/assay_state.h"

namespace quorin {

// The CSV file's bytes. Texts a spreadsheet would run as a formula get a leading apostrophe.
std::string results_csv(const Assay_State& state);

// Save the CSV or the workbook; "" when saved, else the message why not. The workbook's curve
// sheet is judged as the model screen judges the curve (the state is left as it was). Without
// `intervals` the CSV's interval cells stay empty (what the export costs without them).
std::string save_results_csv(const Assay_State& state, const std::string& path, bool intervals = true);
std::string save_results_xlsx(Assay_State& state, const std::string& path);

}  // namespace quorin
