#include "text/display_width.h"

#include <algorithm>

namespace quorin::text {

namespace {

// The length in bytes of the UTF-8 character that starts with `lead`.
std::size_t character_bytes(unsigned char lead) {
  if (lead < 0xC0) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return 4;
}

// Columns of the character at the start of `text`, `bytes` long.
std::size_t character_columns(std::string_view text, std::size_t bytes) {
  // ASCII, and the Latin letters and signs of U+0080..U+02FF ("³", "é"), which the faces here
  // draw half-width.
  if (bytes == 1 || (bytes == 2 && static_cast<unsigned char>(text[0]) < 0xCC)) return 1;
  // U+FF61..U+FF9F, the half-width katakana, are EF BD A1..EF BE 9F.
  if (bytes == 3 && static_cast<unsigned char>(text[0]) == 0xEF) {
    const unsigned code = (static_cast<unsigned char>(text[1]) << 8) | static_cast<unsigned char>(text[2]);
    if (code >= 0xBDA1 && code <= 0xBE9F) return 1;
  }
  return 2;
}

}  // namespace

std::size_t display_columns(std::string_view text) {
  std::size_t columns = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t bytes = std::min(character_bytes(static_cast<unsigned char>(text[i])), text.size() - i);
    columns += character_columns(text.substr(i), bytes);
    i += bytes;
  }
  return columns;
}

std::string clip_to_columns(std::string_view text, std::size_t columns) {
  std::size_t used = 0, i = 0;
  while (i < text.size()) {
    const std::size_t bytes = std::min(character_bytes(static_cast<unsigned char>(text[i])), text.size() - i);
    used += character_columns(text.substr(i), bytes);
    if (used > columns) break;
    i += bytes;
  }
  return std::string(text.substr(0, i));
}

}  // namespace quorin::text
