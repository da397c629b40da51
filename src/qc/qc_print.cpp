#include "qc/qc_print.h"

#include "state/program.h"

namespace quorin::qc {

void print_one(Program& program, const std::function<void(ui::Printer&)>& page) {
  ui::Printer& printer = program.platform.printer();
  printer.begin_job();
  page(printer);
  printer.end_job();
  if (const std::string failure = printer.failure(); !failure.empty())
    program.platform.message("印刷できませんでした\n" + failure);
  else program.platform.message(ui::print_finished_text(printer));
}

}  // namespace quorin::qc
