#pragma once
// Paints a picture area's display list, and the line elements it contains, in its user
// coordinates; reports mouse presses in those coordinates.

#include <QWidget>

#include "ui/form.h"

namespace quorin::ui::qt {

class Picture_Widget : public QWidget {
 public:
  Picture_Widget(Picture_Area& area, QWidget* parent);
  // Repaints when the display list or a line element inside changed since the last paint.
  void refresh();
  // Mouse presses in user coordinates go to this slot (set by the renderer).
  std::function<void(int button, int shift, double x, double y)> on_press;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QPointF map(double x, double y) const;
  double map_length(double length) const;
  unsigned line_state() const;
  Picture_Area& area_;
  unsigned painted_version_ = ~0u;
  unsigned painted_lines_ = ~0u;
};

}  // namespace quorin::ui::qt
