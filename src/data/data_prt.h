#pragma once
// The data printout's pages (Data_PRT, the screen's print job, is declared with the screen's
// procedures in data/data_procedures.h).

#include "ui/printer.h"

namespace quorin {

class Program;

// The pages the data sheet takes, 50 rows to a page.
long data_sheet_pages(const Program& program);

// Prints the data sheet: the rows of the open sheet, or, while the sheet is closed, the rows it
// would show from the count tables.
void print_data_sheet(Program& program, ui::Printer& printer);

}  // namespace quorin
