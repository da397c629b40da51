#include "text/items.h"

namespace quorin::text {

namespace {

constexpr bool is_blank(char c) { return c == ' ' || c == '\t'; }
constexpr bool is_line_end(char c) { return c == '\r' || c == '\n'; }

// Position after the line end that starts at i (CR LF, LF or lone CR).
std::size_t skip_line_end(std::string_view text, std::size_t i) {
  if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') return i + 2;
  return i + 1;
}

}  // namespace

std::optional<std::string_view> Item_Reader::next() {
  const std::size_t size = text_.size();
  if (position_ >= size) {
    if (!after_comma_) return std::nullopt;
    after_comma_ = false;
    return std::string_view{};
  }
  after_comma_ = false;
  std::size_t i = position_;
  while (i < size && is_blank(text_[i])) ++i;

  std::string_view item;
  if (i < size && text_[i] == '"') {
    const std::size_t start = i + 1;
    std::size_t close = start;
    // The quoted item may hold line ends: count them for line_number().
    while (close < size && text_[close] != '"') {
      if (text_[close] == '\n' || (text_[close] == '\r' && (close + 1 >= size || text_[close + 1] != '\n'))) ++line_;
      ++close;
    }
    item = text_.substr(start, close - start);
    i = close < size ? close + 1 : size;
    // Whatever follows the closing quote up to the next comma or line end is ignored.
    while (i < size && text_[i] != ',' && !is_line_end(text_[i])) ++i;
  } else {
    const std::size_t start = i;
    while (i < size && text_[i] != ',' && !is_line_end(text_[i])) ++i;
    std::size_t end = i;
    while (end > start && is_blank(text_[end - 1])) --end;
    item = text_.substr(start, end - start);
  }

  if (i < size) {
    if (text_[i] == ',') {
      ++i;
      after_comma_ = true;
      // A comma followed by the end of the text still gives an empty item (see at_end());
      // otherwise the following text starts the next item.
      if (i < size) after_comma_ = false;
    } else {
      i = skip_line_end(text_, i);
      ++line_;
    }
  }
  position_ = i;
  return item;
}

std::optional<std::string_view> Line_Reader::next() {
  const std::size_t size = text_.size();
  if (position_ >= size) return std::nullopt;
  const char* const base = text_.data();
  std::size_t i = position_;
  // Find the next CR or LF quickly.
  while (i < size && base[i] != '\n' && base[i] != '\r') ++i;
  const std::string_view line = text_.substr(position_, i - position_);
  position_ = i < size ? skip_line_end(text_, i) : size;
  return line;
}

}  // namespace quorin::text
