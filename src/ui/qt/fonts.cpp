#include "ui/qt/fonts.h"

#include <QApplication>
#include <QFont>

namespace quorin::ui::qt {

void install_screen_font() {
  const QString face = "ＭＳ Ｐゴシック";
  QFont::insertSubstitutions(face, {"IPAPGothic", "IPAexGothic", "Noto Sans CJK JP", "VL PGothic"});
  QFont font(face, 9);
  QApplication::setFont(font);
}

}  // namespace quorin::ui::qt
