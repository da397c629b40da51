// QUORIN: data reduction of competitive radioassays.

#include <QApplication>

#include "state/program.h"
#include "ui/qt/fonts.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/renderer.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("QUORIN");
  quorin::ui::qt::install_screen_font();

  quorin::ui::qt::Qt_Platform platform;
  quorin::Program program(platform);
  quorin::ui::qt::Renderer renderer(program.desktop, [&] {
    if (program.ended()) QApplication::exit(0);
  });
  platform.set_renderer(&renderer);

  renderer.dispatch([&] { program.start(); });
  return QApplication::exec();
}
