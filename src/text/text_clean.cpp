#include "text/text_clean.h"

namespace quorin::text {

namespace {
constexpr std::string_view Ideographic_Space = "\xE3\x80\x80";  // U+3000
}  // namespace

std::string_view trim_blanks(std::string_view text) {
  for (bool trimmed = true; trimmed && !text.empty();) {
    trimmed = false;
    if (text.front() == ' ') {
      text.remove_prefix(1);
      trimmed = true;
    } else if (text.starts_with(Ideographic_Space)) {
      text.remove_prefix(Ideographic_Space.size());
      trimmed = true;
    }
  }
  for (bool trimmed = true; trimmed && !text.empty();) {
    trimmed = false;
    if (text.back() == ' ') {
      text.remove_suffix(1);
      trimmed = true;
    } else if (text.ends_with(Ideographic_Space)) {
      text.remove_suffix(Ideographic_Space.size());
      trimmed = true;
    }
  }
  return text;
}

std::string Text_Clean(std::string_view text) {
  std::string cleaned;
  for (char c : trim_blanks(text))
    if (c != '\r' && c != '\n' && c != '\0') cleaned.push_back(c);
  return cleaned;
}

}  // namespace quorin::text
