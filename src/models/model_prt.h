#pragma once
// The model printout's page (Model_PRT, the model screen's print job, is declared with the
// screen's procedures in models/model_procedures.h).

#include "ui/printer.h"

namespace quorin {

class Program;

// The model comparison as the model screen shows it: one page, from the last regression.
void print_model_page(Program& program, ui::Printer& printer);

// The pages the whole report gives the model comparison: 1 while the results use a 4PL or 5PL.
long model_page_count(const Program& program);

}  // namespace quorin
