#pragma once
// The one QApplication of the Qt tests, created on first use and never destroyed: destroying it
// among the other static objects at exit would outlive parts of Qt it still needs.

#include <QApplication>

#include "ui/qt/fonts.h"

namespace quorin::ui::qt {

inline QApplication& test_application() {
  static int argc = 1;
  static char name[] = "quorin_qt_tests";
  static char* argv[] = {name, nullptr};
  static QApplication& app = *new QApplication(argc, argv);
  static const bool fonts_installed = (install_screen_font(), true);
  (void)fonts_installed;
  return app;
}

}  // namespace quorin::ui::qt
