#pragma once

namespace quorin::ui::qt {

// Makes "ＭＳ Ｐゴシック", the screens' font, and "ＭＳ ゴシック", the printouts' fixed-pitch
// font, render with metric-compatible faces installed here; the first becomes the application font.
void install_screen_font();

}  // namespace quorin::ui::qt
