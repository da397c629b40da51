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

std::string print_finished_text(const Printer& printer) {
  if (!printer.failure().empty()) return "";
  const std::string pdf = printer.destination();
  return pdf.empty() ? "印刷が終了しました" : "印刷が終了しました\nPDFファイル: " + pdf;
}

}  // namespace quorin::ui
