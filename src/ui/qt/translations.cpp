#include "ui/qt/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace quorin::ui::qt {

bool install_qt_translations() {
  // Owned by the application, which keeps it for the rest of the run.
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  return QCoreApplication::installTranslator(translator);
}

}  // namespace quorin::ui::qt
