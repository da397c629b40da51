#include "help/topic_display.h"

#include <array>

namespace quorin::help {

namespace {

constexpr const char* Line_Break = "\r\n";

constexpr bool starts_character(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

// Characters first .. first + count - 1 (0-based) of a UTF-8 text; "" when the text is shorter.
std::string_view characters(std::string_view text, std::size_t first, std::size_t count) {
  std::size_t begin = text.size();
  std::size_t end = text.size();
  std::size_t character = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!starts_character(text[i])) continue;
    if (character == first) begin = i;
    if (character == first + count) {
      end = i;
      break;
    }
    ++character;
  }
  return begin >= end ? std::string_view{} : text.substr(begin, end - begin);
}

}  // namespace

std::string title_text(const Help_Topic& topic) {
  if (topic.Help_Kind == Command_Button_Kind) return topic.Help_Title + "  (コマンドボタン)";
  return topic.Help_Title;
}

std::optional<std::string> section_text(double section) {
  static constexpr std::array<const char*, 6> texts = {"",           "<条件設定>",  "<データ入力>", "<検量線表示>",
                                                       "<測定結果>", "<モデル比較>"};
  for (std::size_t code = 0; code < texts.size(); ++code)
    if (section == static_cast<double>(code)) return texts[code];
  return std::nullopt;
}

std::string explanation_text(std::string_view text) {
  std::string shown = Line_Break;
  for (int piece = 0; piece < Pieces_Shown; ++piece) {
    if (piece > 0) shown.append(Line_Break).append(Line_Break);
    shown.append(characters(text, static_cast<std::size_t>(piece) * Piece_Characters, Piece_Characters));
  }
  return shown;
}

}  // namespace quorin::help
