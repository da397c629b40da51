#include "ui/printer.h"

namespace quorin::ui {

void Printer::print(const std::string& text, bool line_end) {
  const double width = draw_text(text, line_end);
  if (line_end) {
    x_ = 0;
    y_ += line_height();
  } else {
    x_ += width;
  }
}

void Printer::end_document() {
  if (stopped()) return;
  send_document();
  set_position(0, 0);  // the next page starts at its top left, whatever printed last
  ++pages_done_;
  if (progress_ != nullptr && !progress_->advance(pages_done_)) cancelled_ = true;
}

void Printer::begin_job(const Job& job) {
  progress_ = job.progress;
  set_position(0, 0);
  pages_done_ = 0;
  cancelled_ = false;
  start_job(job);
}

Job_Outcome Printer::end_job() {
  finish_job(cancelled_);
  progress_ = nullptr;
  Job_Outcome outcome;
  outcome.pages = pages_done_;
  if (cancelled_) {
    outcome.status = Job_Outcome::Status::Cancelled;
  } else if (std::string why = failure(); !why.empty()) {
    outcome.status = Job_Outcome::Status::Failed;
    outcome.failure = std::move(why);
  } else if (pages_done_ > 0) {
    outcome.destination = destination();
  }
  return outcome;
}

std::string job_outcome_text(const Job_Outcome& outcome) {
  switch (outcome.status) {
    case Job_Outcome::Status::Cancelled: return "印刷を中止しました";
    case Job_Outcome::Status::Failed: return "印刷できませんでした\n" + outcome.failure;
    case Job_Outcome::Status::Printed: break;
  }
  return outcome.destination.empty() ? "印刷が終了しました" : "印刷が終了しました\nPDFファイル: " + outcome.destination;
}

}  // namespace quorin::ui
