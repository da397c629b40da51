#pragma once
// A printer that lets several printouts share one job of the printer it wraps: only the
// outermost begin_job and end_job reach it, so that every printout of a batch run becomes part
// of one document (one PDF file) instead of replacing the one before. Everything else is passed
// through as it is drawn.

#include "ui/printer.h"

namespace quorin::batch {

class Shared_Job_Printer : public ui::Printer {
 public:
  explicit Shared_Job_Printer(ui::Printer& target) : target_(target) {}

  void line(double x1, double y1, double x2, double y2) override;
  void rectangle(double x1, double y1, double x2, double y2) override;
  void circle(double x, double y, double radius) override;
  void point(double x, double y) override;
  void end_document() override { target_.end_document(); }
  void begin_job() override;
  void end_job() override;
  std::string destination() const override { return target_.destination(); }
  std::string failure() const override { return target_.failure(); }
  double printable_height() const override { return target_.printable_height(); }

 protected:
  double draw_text(const std::string& text, bool line_end) override;
  double line_height() const override { return line_advance_; }
  void font_changed() override { target_.set_font_size(font_size()); }

 private:
  void sync_style() { target_.set_draw_style(draw_style()); }
  ui::Printer& target_;
  int depth_ = 0;
  // How far the target moved down for the text just printed with a line end: the height of its
  // text line, which only the target knows.
  double line_advance_ = 0;
};

}  // namespace quorin::batch
