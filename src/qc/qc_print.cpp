#include "qc/qc_print.h"

#include "state/page_identity.h"
#include "state/program.h"
#include "ui/print_job.h"

namespace quorin::qc {

void print_one(Program& program, const std::function<void(ui::Printer&)>& page) {
  const ui::Job_Outcome outcome = ui::run_print_job(program.platform, 1, page, screen_print_job(program.state));
  ui::tell_job_outcome(program.platform, outcome, /*announce_printed=*/true);
}

}  // namespace quorin::qc
