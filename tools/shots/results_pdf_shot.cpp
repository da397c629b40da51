// The result printout of the example assay's samples (or another table), written to a PDF file.
//
//   ./build/release/results_pdf_shot out.pdf [stdconc|sera|sample]
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "results_assay.h"
#include "ui/qt/fonts.h"
#include "ui/qt/qt_printer.h"

namespace {

class Pdf_Platform : public quorin::ui::Scripted_Platform {
 public:
  quorin::ui::Printer& printer() override { return pdf; }
  quorin::ui::qt::Qt_Printer pdf;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT.pdf [stdconc|sera|sample]\n", argv[0]);
    return 2;
  }
  const std::string table = argc > 2 ? argv[2] : "sample";
  if (std::getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  quorin::ui::qt::install_screen_font();
  Pdf_Platform platform;
  platform.pdf.set_pdf_path(std::filesystem::absolute(argv[1]).string());
  quorin::Program program(platform);
  quorin::shots::run_example_wizard(program, platform);
  if (table == "stdconc") quorin::Command_Exec(program, quorin::target::Standard_Table);
  if (table == "sample") quorin::Command_Exec(program, quorin::target::Sample_Table);
  quorin::Command_Exec(program, quorin::target::Print);
  for (const auto& message : platform.messages) std::fprintf(stderr, "message: %s\n", message.c_str());
  if (!platform.pdf.failure().empty()) {
    std::fprintf(stderr, "%s\n", platform.pdf.failure().c_str());
    return 1;
  }
  return 0;
}
