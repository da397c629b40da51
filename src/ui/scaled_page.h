#pragma once
// A printer seen through a uniform scale about the page origin, so that a drawing laid out in
// fixed twips still fits a printer's printable height.

#include <string>

#include "ui/printer.h"

namespace quorin::ui {

class Scaled_Page {
 public:
  Scaled_Page(Printer& printer, double scale) : printer_(printer), scale_(scale) {}

  void font(double points) { printer_.set_font_size(points * scale_); }
  void style(Draw_Style style) { printer_.set_draw_style(style); }
  void text(double x, double y, const std::string& text, bool line_end = true) {
    printer_.set_position(x * scale_, y * scale_);
    printer_.print(text, line_end);
  }
  void line(double x1, double y1, double x2, double y2) {
    printer_.line(x1 * scale_, y1 * scale_, x2 * scale_, y2 * scale_);
  }
  void rectangle(double x1, double y1, double x2, double y2) {
    printer_.rectangle(x1 * scale_, y1 * scale_, x2 * scale_, y2 * scale_);
  }
  void circle(double x, double y, double radius) { printer_.circle(x * scale_, y * scale_, radius * scale_); }
  void point(double x, double y) { printer_.point(x * scale_, y * scale_); }
  void end() { printer_.end_document(); }

 private:
  Printer& printer_;
  double scale_;
};

}  // namespace quorin::ui
