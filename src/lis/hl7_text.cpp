#include "lis/hl7_text.h"

#include <cstdio>

namespace quorin::lis {

namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The text of one escape (between the backslashes), or nothing when it is not one the program reads.
bool undo_escape(std::string_view escape, std::string& out) {
  if (escape.size() == 1) {
    const std::string_view plain = "|^&~\\";
    const std::size_t at = std::string_view("FSTRE").find(escape[0]);
    if (at == std::string_view::npos) return false;
    out += plain[at];
    return true;
  }
  if (escape == ".br") {
    out += ' ';
    return true;
  }
  if (escape[0] != 'X' || escape.size() % 2 != 1) return false;
  std::string bytes;
  for (std::size_t i = 1; i < escape.size(); i += 2) {
    const int high = hex_digit(escape[i]), low = hex_digit(escape[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes += static_cast<char>(high * 16 + low);
  }
  out += bytes;
  return true;
}

// The length of the UTF-8 character starting at text[at], 0 when the bytes there are not one.
std::size_t utf8_length(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead < 0x80                   ? 1
                             : lead >= 0xC2 && lead < 0xE0 ? 2
                             : lead >= 0xE0 && lead < 0xF0 ? 3
                             : lead >= 0xF0 && lead < 0xF5 ? 4
                                                           : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
  return length;
}

}  // namespace

std::string hl7_escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '|': out += "\\F\\"; break;
      case '^': out += "\\S\\"; break;
      case '&': out += "\\T\\"; break;
      case '~': out += "\\R\\"; break;
      case '\\': out += "\\E\\"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\X%02X\\", static_cast<unsigned char>(c));
          out += hex;
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string hl7_unescaped(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    const std::size_t end = field[i] == '\\' ? field.find('\\', i + 1) : std::string_view::npos;
    if (end != std::string_view::npos && end > i + 1 && undo_escape(field.substr(i + 1, end - i - 1), out)) {
      i = end;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::string shown_text(std::string_view text, std::size_t limit) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = utf8_length(text, i);
    if (out.size() + std::max<std::size_t>(length, 1) > limit) return out + "…";
    if (length == 0) {
      out += '?';
      ++i;
    } else if (length == 1 && (static_cast<unsigned char>(text[i]) < 0x20 || text[i] == 0x7F)) {
      out += ' ';
      ++i;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

}  // namespace quorin::lis
