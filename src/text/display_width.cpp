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

char32_t next_character(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t bytes = std::min(character_bytes(lead), text.size() - at);
  char32_t code = bytes == 1 ? lead : lead & (0x7F >> bytes);
  for (std::size_t k = 1; k < bytes; ++k) code = (code << 6) | (static_cast<unsigned char>(text[at + k]) & 0x3F);
  at += bytes;
  return code;
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

std::vector<std::string> wrap_at_blanks(std::string_view text, std::size_t columns) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    std::string line = clip_to_columns(text, columns);
    if (line.empty()) {  // a character wider than the line stands alone
      std::size_t at = 0;
      next_character(text, at);
      line = text.substr(0, at);
    }
    const std::size_t blank = line.size() < text.size() && text[line.size()] != ' ' ? line.rfind(' ') : line.npos;
    if (blank != line.npos && line.find_first_not_of(' ') < blank) line.resize(blank);
    text.remove_prefix(line.size());
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    line.erase(line.find_last_not_of(' ') + 1);
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string elide_to_columns(std::string_view text, double columns, double half_width) {
  constexpr std::string_view Ellipsis = "\u2026";
  constexpr double Ellipsis_Columns = 2;
  double used = 0;
  std::size_t fits = 0;  // bytes of the start that fit beside the ellipsis
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t bytes = std::min(character_bytes(static_cast<unsigned char>(text[i])), text.size() - i);
    used += character_columns(text.substr(i), bytes) == 1 ? half_width : 2;
    if (used > columns) return std::string(text.substr(0, fits)) + std::string(Ellipsis);
    i += bytes;
    if (used + Ellipsis_Columns <= columns) fits = i;
  }
  return std::string(text);
}

}  // namespace quorin::text
