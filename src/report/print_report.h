#pragma once
// The whole report: every printout of the assay in one print job, the same pages whether the
// results screen or the command line asks for it.

#include <optional>

#include "ui/printer.h"

namespace quorin {

class Program;

// Computes the three result tables afresh, as their buttons do, then prints as one job the
// conditions, the data sheet, the standard plot, the fitted curves, the model comparison (while
// the results use a 4PL or 5PL) and the three result tables.
// nullopt when a table cannot be computed: the user has been told why and nothing is printed.
std::optional<ui::Job_Outcome> Print_Report(Program& program, ui::Job job);

// The whole report as the results screen's button prints it, telling the user how it ended.
void Report_PRT(Program& program);

}  // namespace quorin
