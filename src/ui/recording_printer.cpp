#include "ui/recording_printer.h"

#include <algorithm>
#include <cstdio>

namespace quorin::ui {

std::string op_number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.10g", value);
  return buffer;
}

static std::string point_text(double x, double y) { return op_number(x) + "," + op_number(y); }

double Recording_Printer::draw_text(const std::string& text, bool line_end) {
  ops_.push_back("text " + point_text(current_x(), current_y()) + " \"" + text + "\"" + (line_end ? " eol" : ""));
  return static_cast<double>(text.size()) * font_size() * 10;
}

void Recording_Printer::font_changed() { ops_.push_back("font " + op_number(font_size())); }

void Recording_Printer::record_style() {
  if (colour() != recorded_colour_) {
    recorded_colour_ = colour();
    ops_.push_back("colour " + std::to_string(recorded_colour_.r) + "," + std::to_string(recorded_colour_.g) + "," +
                   std::to_string(recorded_colour_.b));
  }
  if (draw_style() == recorded_style_) return;
  recorded_style_ = draw_style();
  ops_.push_back("style " + std::to_string(static_cast<int>(recorded_style_)));
}

void Recording_Printer::draw_line(double x1, double y1, double x2, double y2) {
  record_style();
  ops_.push_back("line " + point_text(x1, y1) + " " + point_text(x2, y2));
}

void Recording_Printer::draw_rectangle(double x1, double y1, double x2, double y2) {
  record_style();
  ops_.push_back("rect " + point_text(x1, y1) + " " + point_text(x2, y2));
}

void Recording_Printer::draw_circle(double x, double y, double radius) {
  record_style();
  ops_.push_back("circle " + point_text(x, y) + " r" + op_number(radius));
}

void Recording_Printer::draw_point(double x, double y) {
  record_style();
  ops_.push_back("point " + point_text(x, y));
}

int Recording_Printer::documents() const {
  return static_cast<int>(std::count(ops_.begin(), ops_.end(), std::string("end")));
}

}  // namespace quorin::ui
