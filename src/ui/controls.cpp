#include "ui/controls.h"

#include <algorithm>
#include <cmath>

#include "ui/form.h"

namespace quorin::ui {

bool Control::reachable() const {
  for (const Control* c = this; c != nullptr; c = c->container)
    if (!c->visible || !c->enabled) return false;
  return true;
}

void Text_Box::set_text(std::string value) {
  if (value == text) return;
  text = std::move(value);
  if (on_change) on_change();
}

void Option_Button::select() {
  value = true;
  if (form == nullptr) return;
  for (const auto& control : form->controls()) {
    if (control.get() == this || control->kind != Control_Kind::Option_Button) continue;
    auto& other = static_cast<Option_Button&>(*control);
    if (other.name == name && other.container == container) other.value = false;
  }
}

void Scroll_Bar::set_value(int new_value) {
  new_value = std::clamp(new_value, min, std::max(min, max));
  if (new_value == value_) return;
  value_ = new_value;
  if (on_change) on_change();
}

void Scroll_Bar::set_range(int new_min, int new_max) {
  min = new_min;
  max = new_max;
  set_value(value_);
}

void Picture_Area::line(double x1, double y1, double x2, double y2, Colour colour) {
  ops_.push_back({Draw_Op::Type::Line, x1, y1, x2, y2, colour, draw_style});
  pen_x_ = x2;
  pen_y_ = y2;
  ++version_;
}

void Picture_Area::circle(double x, double y, double radius, Colour colour) {
  ops_.push_back({Draw_Op::Type::Circle, x, y, radius, 0, colour, draw_style});
  pen_x_ = x;
  pen_y_ = y;
  ++version_;
}

void Picture_Area::circle_inside(double x, double y, double radius, Colour colour) {
  constexpr double Border = 30;  // twips kept clear of the area's edge: two pixels
  const double across = std::abs(radius / (scale_width == 0 ? 1 : scale_width) * width) + Border;
  // The centre in twips, held where the whole circle fits; moved back into user coordinates only
  // when it was moved at all.
  auto held = [across](double twips, int extent) {
    return std::clamp(twips, across, std::max(across, extent - across));
  };
  const double tx = scale_width == 0 ? x : (x - scale_left) / scale_width * width;
  const double ty = scale_height == 0 ? y : (y - scale_top) / scale_height * height;
  circle(held(tx, width) == tx ? x : user_x(held(tx, width)), held(ty, height) == ty ? y : user_y(held(ty, height)),
         radius, colour);
}

void Picture_Area::point(double x, double y, Colour colour) {
  ops_.push_back({Draw_Op::Type::Point, x, y, x, y, colour, draw_style});
  pen_x_ = x;
  pen_y_ = y;
  ++version_;
}

double Picture_Area::user_x(double twips_x) const {
  if (scale_width == 0) return twips_x;
  return scale_left + twips_x / width * scale_width;
}

double Picture_Area::user_y(double twips_y) const {
  if (scale_height == 0) return twips_y;
  return scale_top + twips_y / height * scale_height;
}

void Grid::resize(int rows, int columns) {
  rows_ = rows;
  columns_ = columns;
  cells_.assign(static_cast<std::size_t>(rows) * columns, std::string());
  widths_.resize(columns, 800);
  ++version_;
}

void Grid::set_cell(int row, int column, std::string text) {
  cells_.at(row * columns_ + column) = std::move(text);
  ++version_;
}

void Grid::set_column_width(int column, int twips) {
  widths_.at(column) = twips;
  ++version_;
}

}  // namespace quorin::ui
