#include "support/text_search.h"

#include <algorithm>
#include <cctype>

namespace quorin::testing {

std::optional<Printed_Text> printed_text(const std::string& op) {
  if (!op.starts_with("text ")) return std::nullopt;
  const std::size_t space = op.find(' ', 5);
  if (space == std::string::npos || op.size() < space + 3 || op[space + 1] != '"' || op.back() != '"')
    return std::nullopt;
  return Printed_Text{op.substr(5, space - 5), op.substr(space + 2, op.size() - space - 3)};
}

bool is_digits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool is_page_number(std::string_view text) {
  const std::size_t slash = text.find(" / ");
  return slash != std::string_view::npos && is_digits(text.substr(0, slash)) && is_digits(text.substr(slash + 3));
}

std::optional<std::string> between(std::string_view text, std::string_view before, std::string_view after,
                                   std::size_t from) {
  const std::size_t start = text.find(before, from);
  if (start == std::string_view::npos) return std::nullopt;
  const std::size_t end = text.find(after, start + before.size());
  if (end == std::string_view::npos) return std::nullopt;
  return std::string(text.substr(start + before.size(), end - start - before.size()));
}

std::vector<std::string> openings(std::string_view text, std::string_view tag) {
  std::vector<std::string> found;
  const std::string opening = "<" + std::string(tag);
  for (std::size_t at = text.find(opening); at != std::string_view::npos; at = text.find(opening, at + 1)) {
    const char next = at + opening.size() < text.size() ? text[at + opening.size()] : '\0';
    if (next != ' ' && next != '>' && next != '/') continue;  // <fills> is no <fill>
    const std::size_t end = text.find('>', at);
    if (end == std::string_view::npos) break;
    found.emplace_back(text.substr(at, end - at + 1));
  }
  return found;
}

std::optional<std::string> workbook_text_shown(std::string_view cell) {
  const auto escape = [&](std::size_t at) {
    const std::string_view run = cell.substr(std::min(at, cell.size()), 7);
    return run.size() == 7 && run.starts_with("_x") && run[6] == '_' &&
           std::all_of(run.begin() + 2, run.end() - 1, [](char c) { return std::isxdigit(c & 0xFF) != 0; });
  };
  std::string shown;
  for (std::size_t at = 0; at < cell.size(); ++at) {
    const int code = escape(at) ? std::stoi(std::string(cell.substr(at + 2, 4)), nullptr, 16) : -1;
    if (code >= 0x80 || (code == '_' && !escape(at + 6))) return std::nullopt;
    shown += code < 0 ? cell[at] : static_cast<char>(code);
    at += code < 0 ? 0 : 6;
  }
  return shown;
}

std::vector<std::string> cells_of(std::string_view line) {
  std::vector<std::string> cells;
  for (std::size_t start = 0;;) {
    const std::size_t comma = line.find(',', start);
    cells.emplace_back(line.substr(start, comma - start));
    if (comma == std::string_view::npos) return cells;
    start = comma + 1;
  }
}

}  // namespace quorin::testing
