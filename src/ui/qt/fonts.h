#pragma once

namespace quorin::ui::qt {

// Makes "ＭＳ Ｐゴシック", the screens' font, render with a metric-compatible face that is
// installed here, and makes it the application font.
void install_screen_font();

}  // namespace quorin::ui::qt
