#include "batch/shared_job_printer.h"

namespace quorin::batch {

void Shared_Job_Printer::begin_job() {
  if (depth_++ == 0) target_.begin_job();
}

void Shared_Job_Printer::end_job() {
  if (depth_ > 0 && --depth_ == 0) target_.end_job();
}

void Shared_Job_Printer::line(double x1, double y1, double x2, double y2) {
  sync_style();
  target_.line(x1, y1, x2, y2);
}

void Shared_Job_Printer::rectangle(double x1, double y1, double x2, double y2) {
  sync_style();
  target_.rectangle(x1, y1, x2, y2);
}

void Shared_Job_Printer::circle(double x, double y, double radius) {
  sync_style();
  target_.circle(x, y, radius);
}

void Shared_Job_Printer::point(double x, double y) {
  sync_style();
  target_.point(x, y);
}

// The target prints at this printer's position; its own move tells the width or the line height.
double Shared_Job_Printer::draw_text(const std::string& text, bool line_end) {
  target_.set_position(current_x(), current_y());
  if (target_.font_size() != font_size()) target_.set_font_size(font_size());
  target_.print(text, line_end);
  line_advance_ = target_.current_y() - current_y();
  return line_end ? 0 : target_.current_x() - current_x();
}

}  // namespace quorin::batch
