#pragma once
// Printing one page from a screen of its own: one job, then the completion message, or the
// printer's failure.

#include <functional>

#include "ui/printer.h"

namespace quorin {
class Program;
}

namespace quorin::qc {

void print_one(Program& program, const std::function<void(ui::Printer&)>& page);

}  // namespace quorin::qc
