#pragma once
// One print job of the program: the pages of one printout, or of the whole report, printed on the
// platform's printer with their progress followed, and how it ended told to the user.

#include <functional>

#include "ui/platform.h"

namespace quorin::ui {

// Prints the pages `print` draws as one job of the platform's printer; a job of more than one
// page is followed by the platform's progress, whose cancel stops it at the next page. The
// outcome is not yet told to the user.
Job_Outcome run_print_job(Platform& platform, long planned_pages, const std::function<void(Printer&)>& print,
                          Job job = {});

// Tells the user how the job ended: always when it was cancelled, failed or went to a PDF file
// (whose path the message names); on a printer only when `announce_printed` (the printouts that
// close with "印刷が終了しました").
void tell_job_outcome(Platform& platform, const Job_Outcome& outcome, bool announce_printed);

}  // namespace quorin::ui
