#include "ui/print_job.h"

#include "ui/long_job.h"

namespace quorin::ui {

Job_Outcome run_print_job(Platform& platform, long planned_pages, const std::function<void(Printer&)>& print, Job job) {
  if (job.ask_when_long && !agree_to_long_job(platform, planned_pages, job)) return {};
  Printer& printer = platform.printer();
  std::unique_ptr<Progress> progress;
  if (planned_pages > 1) progress = platform.start_progress("印刷しています", planned_pages);
  job.progress = progress.get();
  job.planned_pages = planned_pages;
  printer.begin_job(job);
  print(printer);
  return printer.end_job();
}

void tell_job_outcome(Platform& platform, const Job_Outcome& outcome, bool announce_printed) {
  // A job that printed no page has nothing to announce (the printout said why, if anything).
  const bool quiet = outcome.status == Job_Outcome::Status::Printed &&
                     (outcome.pages == 0 || (outcome.destination.empty() && !announce_printed));
  if (!quiet) platform.message(job_outcome_text(outcome));
}

}  // namespace quorin::ui
