#pragma once
// The printer as the printouts use it: a page in twips from the top left of the printable area,
// y growing downwards, a current position, a font size and a draw style. Text is placed with its
// top at the current y. Printing with a line end moves to x = 0 and down one text line;
// without, the current x moves past the text. end_document() sends what was drawn as a
// document of its own.

#include <string>

#include "ui/controls.h"

namespace quorin::ui {

class Printer {
 public:
  virtual ~Printer() = default;

  double current_x() const { return x_; }
  double current_y() const { return y_; }
  void set_current_x(double x) { x_ = x; }
  void set_current_y(double y) { y_ = y; }
  void set_position(double x, double y) {
    x_ = x;
    y_ = y;
  }
  double font_size() const { return font_size_; }
  void set_font_size(double points) {
    font_size_ = points;
    font_changed();
  }
  Draw_Style draw_style() const { return draw_style_; }
  void set_draw_style(Draw_Style style) { draw_style_ = style; }

  void print(const std::string& text, bool line_end = true);
  virtual void line(double x1, double y1, double x2, double y2) = 0;
  virtual void rectangle(double x1, double y1, double x2, double y2) = 0;  // unfilled
  virtual void circle(double x, double y, double radius) = 0;
  virtual void point(double x, double y) = 0;
  virtual void end_document() = 0;

  // A job groups the documents of one printout: begin before the printout, end after it.
  virtual void begin_job() {}
  virtual void end_job() {}
  // Where the job went, for the completion message ("" for a printer; a PDF file's path).
  virtual std::string destination() const { return ""; }
  // Why the job could not be printed, or "" while all is well.
  virtual std::string failure() const { return ""; }
  // Height of the printable area of a page in twips.
  virtual double printable_height() const = 0;

 protected:
  // Draws the text with its top left at the current position; returns its width in twips.
  // line_end tells that the print ends the line (the position moves on afterwards).
  virtual double draw_text(const std::string& text, bool line_end) = 0;
  // Height of one text line in twips at the current font size.
  virtual double line_height() const { return font_size_ * 20 * 1.2; }
  virtual void font_changed() {}

 private:
  double x_ = 0, y_ = 0;
  double font_size_ = 10;
  Draw_Style draw_style_ = Draw_Style::Solid;
};

// The message a printout closes with: "印刷が終了しました", followed by the PDF file's path when
// the job went to one; "" when the job failed (the failure is reported once, by whoever ends the job).
std::string print_finished_text(const Printer& printer);

}  // namespace quorin::ui
