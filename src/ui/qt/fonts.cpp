#include "ui/qt/fonts.h"

#include <QApplication>
#include <QFont>

namespace quorin::ui::qt {

void install_screen_font() {
  const QString face = "ＭＳ Ｐゴシック";
  QFont::insertSubstitutions(face, {"IPAPGothic", "IPAexGothic", "Noto Sans CJK JP", "VL PGothic"});
  // The printers' face, fixed-pitch: half-width characters are half an em wide.
  QFont::insertSubstitutions("ＭＳ ゴシック", {"IPAGothic", "VL Gothic", "Noto Sans Mono CJK JP"});
  QFont font(face, 9);
  QApplication::setFont(font);
}

}  // namespace quorin::ui::qt
