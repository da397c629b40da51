#pragma once
// A platform without a printer: printouts go to a PDF file, whose name the printer reports.

#include <string>

#include "ui/recording_printer.h"
#include "ui/scripted_platform.h"

namespace quorin::testing {

class Pdf_Recorder : public ui::Recording_Printer {
 public:
  std::string destination() const override { return "/home/lab/quorin-print-1.pdf"; }
};

class Pdf_Platform : public ui::Scripted_Platform {
 public:
  ui::Printer& printer() override { return pdf; }
  Pdf_Recorder pdf;
};

}  // namespace quorin::testing
