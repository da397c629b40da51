#include "ui/printer.h"

#include <algorithm>

namespace quorin::ui {

void Printer::print(const std::string& text, bool line_end) {
  // A skipped page's texts are measured as the recording printer would, so that nothing is drawn.
  const double width = skipping() ? static_cast<double>(text.size()) * font_size_ * 10 : draw_text(text, line_end);
  if (line_end) {
    x_ = 0;
    y_ += line_height();
  } else {
    x_ += width;
  }
}

// The page's identity at the foot of the printable area, its number over the job at the right.
void Printer::print_foot() {
  const double size = font_size_;
  set_font_size(Foot_Font);
  const double y = sheet_height() - Foot_Font * 20 * 1.2;
  set_position(0, y);
  print(identity_, false);
  set_position(Foot_Number_X, y);
  const long page = pages_done_ + 1;
  print(std::to_string(page) + " / " + std::to_string(std::max(page, planned_pages_)), false);
  set_font_size(size);
}

void Printer::end_document() {
  if (stopped()) return;
  if (!identity_.empty() && !skipping()) print_foot();
  if (!skipping()) send_document();
  set_position(0, 0);  // the next page starts at its top left, whatever printed last
  ++pages_done_;
  if (last_page_ > 0 && pages_done_ >= last_page_) range_done_ = true;
  if (progress_ != nullptr && !progress_->advance(pages_done_)) cancelled_ = true;
}

void Printer::begin_job(const Job& job) {
  progress_ = job.progress;
  identity_ = job.identity;
  planned_pages_ = job.planned_pages;
  first_page_ = std::max(1L, job.first_page);
  last_page_ = job.last_page;
  range_done_ = false;
  set_position(0, 0);
  pages_done_ = 0;
  cancelled_ = false;
  start_job(job);
}

Job_Outcome Printer::end_job() {
  finish_job(cancelled_);
  progress_ = nullptr;
  Job_Outcome outcome;
  outcome.pages = std::max(0L, pages_done_ - (first_page_ - 1));
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
