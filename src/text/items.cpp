#include "text/items.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace quorin::text {

namespace {

constexpr bool is_blank(char c) { return c == ' ' || c == '\t'; }
constexpr bool is_line_end(char c) { return c == '\r' || c == '\n'; }

// The bytes that end an unquoted item: a comma and the line ends.
constexpr auto Item_Ends = [] {
  std::array<bool, 256> ends{};
  ends[','] = ends['\r'] = ends['\n'] = true;
  return ends;
}();
constexpr bool ends_item(char c) { return Item_Ends[static_cast<unsigned char>(c)]; }

// Position after the line end that starts at i (CR LF, LF or lone CR).
std::size_t skip_line_end(std::string_view text, std::size_t i) {
  if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') return i + 2;
  return i + 1;
}

// One item scanned from text[i..], as Item_Reader reads it: the item, where the next one starts,
// the line ends passed and whether the item ended at a comma. False, when more text may follow
// the text, for an item whose end cannot be told yet: it (or the CR LF after it) may go on in
// the text still to come.
struct Scanned {
  std::string_view item;
  std::size_t next = 0;
  std::size_t lines = 0;
  bool comma = false;
};

bool scan_item(std::string_view text, std::size_t i, bool more_follows, Scanned& out) {
  const std::size_t size = text.size();
  out.lines = 0;
  out.comma = false;
  while (i < size && is_blank(text[i])) ++i;
  if (i < size && text[i] == '"') {
    const std::size_t start = i + 1;
    std::size_t close = start;
    // The quoted item may hold line ends: count them for line_number().
    while (close < size && text[close] != '"') {
      if (text[close] == '\n' || (text[close] == '\r' && (close + 1 >= size || text[close + 1] != '\n'))) ++out.lines;
      ++close;
    }
    if (close >= size && more_follows) return false;
    out.item = text.substr(start, close - start);
    i = close < size ? close + 1 : size;
    // Whatever follows the closing quote up to the next comma or line end is ignored.
    while (i < size && text[i] != ',' && !is_line_end(text[i])) ++i;
  } else {
    const std::size_t start = i;
    while (i < size && !ends_item(text[i])) ++i;
    std::size_t end = i;
    while (end > start && is_blank(text[end - 1])) --end;
    out.item = text.substr(start, end - start);
  }
  if (more_follows && (i >= size || (text[i] == '\r' && i + 1 >= size))) return false;
  if (i < size) {
    if (text[i] == ',') {
      ++i;
      out.comma = true;
    } else {
      i = skip_line_end(text, i);
      ++out.lines;
    }
  }
  out.next = i;
  return true;
}

}  // namespace

std::optional<std::string_view> Item_Reader::next() {
  if (position_ >= text_.size()) {
    if (!after_comma_) return std::nullopt;
    after_comma_ = false;
    return std::string_view{};
  }
  Scanned scanned;
  scan_item(text_, position_, false, scanned);
  // A comma at the very end of the text still gives an empty item (see at_end()).
  after_comma_ = scanned.comma && scanned.next >= text_.size();
  line_ += scanned.lines;
  position_ = scanned.next;
  return scanned.item;
}

Item_Stream::Item_Stream(Source source, std::size_t part_size, std::size_t longest_item)
    : source_(std::move(source)), buffer_(part_size < 1 ? 1 : part_size, '\0'), longest_item_(longest_item) {}

std::optional<std::string_view> Item_Stream::next() {
  for (;;) {
    if (begin_ == end_ && ended_) {
      if (!after_comma_) return std::nullopt;
      after_comma_ = false;
      return std::string_view{};
    }
    Scanned scanned;
    const std::string_view unread(buffer_.data() + begin_, end_ - begin_);
    if (begin_ < end_ && scan_item(unread, 0, !ended_, scanned)) {
      begin_ += scanned.next;
      line_ += scanned.lines;
      after_comma_ = scanned.comma;
      return scanned.item;
    }
    if (!read_more()) {  // the item is too long: it is given as far as it was read
      scan_item(std::string_view(buffer_.data() + begin_, end_ - begin_), 0, false, scanned);
      begin_ = end_;
      ended_ = true;
      after_comma_ = false;
      return scanned.item;
    }
  }
}

// Moves the unread bytes to the front of the buffer and reads more behind them (the buffer grows
// while one item fills it); false when an item is too long.
bool Item_Stream::read_more() {
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buffer_.size()) {
    if (buffer_.size() >= longest_item_) {
      too_long_ = true;
      return false;
    }
    buffer_.resize(std::min(buffer_.size() * 2, longest_item_));
  }
  const std::size_t read = source_(buffer_.data() + end_, buffer_.size() - end_);
  if (read == 0) ended_ = true;
  end_ += read;
  return true;
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
