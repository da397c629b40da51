// The data printout of a 51-row assay (a full page and a page of one row), written to a PDF file.
//
//   ./build/release/data_pdf_shot out.pdf
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "data_assay.h"
#include "state/navigation.h"
#include "state/program.h"
#include "ui/qt/fonts.h"
#include "ui/qt/qt_printer.h"
#include "ui/scripted_platform.h"

namespace {

class Pdf_Platform : public quorin::ui::Scripted_Platform {
 public:
  quorin::ui::Printer& printer() override { return pdf; }
  quorin::ui::qt::Qt_Printer pdf;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT.pdf\n", argv[0]);
    return 2;
  }
  if (std::getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  quorin::ui::qt::install_screen_font();
  Pdf_Platform platform;
  platform.pdf.set_pdf_path(argv[1]);
  quorin::Program program(platform);
  quorin::shots::fill_assay(program.state, 5, 3, 2, 7);  // 24 + 6 + 21 = 51 rows
  program.state.Screen_No = 1;
  quorin::Command_Exec(program, quorin::target::Data_Sheet);
  program.state.Screen_No = 2;
  quorin::Command_Exec(program, quorin::target::Print);
  for (const auto& message : platform.messages) std::fprintf(stderr, "message: %s\n", message.c_str());
  if (!platform.pdf.failure().empty()) {
    std::fprintf(stderr, "%s\n", platform.pdf.failure().c_str());
    return 1;
  }
  return 0;
}
