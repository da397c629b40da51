#include "shot.h"

#include <QApplication>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

#include <filesystem>

#include "ui/qt/fonts.h"
#include "ui/qt/qt_printer.h"
#include "ui/qt/renderer.h"

namespace quorin::shots {

namespace {

class Pdf_Platform : public ui::Scripted_Platform {
 public:
  ui::Printer& printer() override { return pdf; }
  ui::qt::Qt_Printer pdf;
};

}  // namespace

int run_pdf(int argc, char** argv, const std::function<void(Program&, ui::Scripted_Platform&)>& scene) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT.pdf\n", argv[0]);
    return 2;
  }
  if (std::getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  ui::qt::install_screen_font();
  Pdf_Platform platform;
  platform.pdf.set_pdf_path(std::filesystem::absolute(argv[1]).string());
  Program program(platform);
  scene(program, platform);
  for (const auto& message : platform.messages) std::fprintf(stderr, "message: %s\n", message.c_str());
  if (!platform.pdf.failure().empty()) {
    std::fprintf(stderr, "%s\n", platform.pdf.failure().c_str());
    return 1;
  }
  return 0;
}

int run(int argc, char** argv, const std::function<void(Program&, ui::Scripted_Platform&)>& scene) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
    return 2;
  }
  if (std::getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  ui::qt::install_screen_font();
  ui::Scripted_Platform platform;
  Program program(platform);
  ui::qt::Renderer renderer(program.desktop, {});
  renderer.dispatch([&] { scene(program, platform); });
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  ui::Form* front = program.desktop.front();
  QWidget* window = front != nullptr ? renderer.window_of(*front) : nullptr;
  if (window == nullptr) {
    std::fprintf(stderr, "no window to capture\n");
    return 1;
  }
  if (!window->grab().save(argv[1])) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  for (const auto& message : platform.messages) std::fprintf(stderr, "message: %s\n", message.c_str());
  return 0;
}

}  // namespace quorin::shots
