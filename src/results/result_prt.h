#pragma once
// The result printout: the standard concentrations, the control sera or the samples (the table
// last asked for on the results screen) in ruled pages of at most 48 rows, each page ended as a
// document of its own.

#include <string>
#include <vector>

#include "results/result_table.h"
#include "ui/printer.h"

namespace quorin {

// Prints one of the three printable tables and returns the number of pages printed (0 when
// no item has a measured tube). The page that holds the last row is always finished; a job
// that stops (cancelled, failed) ends the printout at the end of its page. The lines of `note`
// (the judgement of the control sera) are printed under the table of the first page.
long print_result_table(const Assay_State& state, Result_Kind kind, ui::Printer& printer,
                        const std::vector<std::string>& note = {});

// The pages print_result_table prints for the table now, on pages of the printer's printable
// height.
long result_table_pages(const Assay_State& state, Result_Kind kind, double printable_height,
                        const std::vector<std::string>& note = {});

}  // namespace quorin
