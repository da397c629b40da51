#include "ui/qt/picture_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <functional>

namespace quorin::ui::qt {

namespace {
QColor to_qcolor(Colour c) { return QColor(c.r, c.g, c.b); }

Qt::PenStyle pen_style(Draw_Style style) {
  switch (style) {
    case Draw_Style::Dashed: return Qt::DashLine;
    case Draw_Style::Dotted: return Qt::DotLine;
    case Draw_Style::Solid: break;
  }
  return Qt::SolidLine;
}
}  // namespace

Picture_Widget::Picture_Widget(Picture_Area& area, QWidget* parent) : QWidget(parent), area_(area) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QPointF Picture_Widget::map(double x, double y) const {
  const double px = area_.scale_width == 0 ? x / 15.0 : (x - area_.scale_left) / area_.scale_width * width();
  const double py = area_.scale_height == 0 ? y / 15.0 : (y - area_.scale_top) / area_.scale_height * height();
  return {px, py};
}

double Picture_Widget::map_length(double length) const {
  return area_.scale_width == 0 ? length / 15.0 : std::abs(length / area_.scale_width * width());
}

// A fingerprint of the line elements drawn over the picture, so that moving one repaints.
unsigned Picture_Widget::line_state() const {
  unsigned state = 0;
  for (const auto& control : area_.form->controls()) {
    if (control->kind != Control_Kind::Line_Element || control->container != &area_) continue;
    const auto& line = static_cast<const Line_Element&>(*control);
    const std::hash<double> h;
    state = state * 31 + static_cast<unsigned>(h(line.x1) ^ (h(line.y1) << 1) ^ (h(line.x2) << 2) ^ (h(line.y2) << 3)) +
            (line.visible ? 7 : 0);
  }
  return state;
}

void Picture_Widget::refresh() {
  if (area_.version() == painted_version_ && line_state() == painted_lines_) return;
  update();
}

void Picture_Widget::paintEvent(QPaintEvent*) {
  painted_version_ = area_.version();
  painted_lines_ = line_state();
  QPainter painter(this);
  painter.fillRect(rect(), to_qcolor(area_.back_colour));
  painter.setRenderHint(QPainter::Antialiasing);
  for (const Draw_Op& op : area_.ops()) {
    QPen pen(to_qcolor(op.colour));
    pen.setStyle(pen_style(op.style));
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    switch (op.type) {
      case Draw_Op::Type::Line: painter.drawLine(map(op.x1, op.y1), map(op.x2, op.y2)); break;
      case Draw_Op::Type::Circle: {
        const double r = map_length(op.x2);
        painter.drawEllipse(map(op.x1, op.y1), r, r);
        break;
      }
      case Draw_Op::Type::Point: painter.drawPoint(map(op.x1, op.y1)); break;
    }
  }
  for (const auto& control : area_.form->controls()) {
    if (control->kind != Control_Kind::Line_Element || control->container != &area_ || !control->visible) continue;
    const auto& line = static_cast<const Line_Element&>(*control);
    painter.setPen(QPen(to_qcolor(line.colour)));
    painter.drawLine(map(line.x1, line.y1), map(line.x2, line.y2));
  }
  if (area_.border) {
    painter.setPen(QPen(QColor(128, 128, 128)));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void Picture_Widget::mousePressEvent(QMouseEvent* event) {
  if (!on_press) return;
  const QPointF at = event->position();
  const double twips_x = at.x() * 15.0 * (area_.width > 0 ? area_.width / (width() * 15.0) : 1.0);
  const double twips_y = at.y() * 15.0 * (area_.height > 0 ? area_.height / (height() * 15.0) : 1.0);
  const int button = event->button() == Qt::RightButton ? 2 : 1;
  int shift = 0;
  if (event->modifiers() & Qt::ShiftModifier) shift |= 1;
  if (event->modifiers() & Qt::ControlModifier) shift |= 2;
  if (event->modifiers() & Qt::AltModifier) shift |= 4;
  on_press(button, shift, area_.user_x(twips_x), area_.user_y(twips_y));
}

}  // namespace quorin::ui::qt
