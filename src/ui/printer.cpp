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

}  // namespace quorin::ui
