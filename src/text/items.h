#pragma once
// The comma-separated item reader and the line reader of the program's text files. Both work on
// a text held in memory and hand out views into it (no allocation per item). Lines end with
// CR LF, LF or a lone CR; a last line without a line end is still a line.

#include <cstddef>
#include <optional>
#include <string_view>

namespace quorin::text {

// Items end at a comma or a line end; blanks (spaces, tabs) before an item are skipped; an item
// in double quotes may hold commas and line ends, the quotes are not part of it, and whatever
// follows the closing quote up to the next comma or line end is ignored (a quote without its
// closing quote runs to the end of the text). Trailing blanks of an unquoted item are dropped.
// An empty line is one empty item; the line end after the last item of the text gives no further
// item. A comma always starts one more item, so a trailing comma gives an empty item after it
// ("12,\r\n" gives "12" and "", and so does "12," at the end of the text).
// "12,34\r\n" gives "12" and "34"; "\r\n\r\n" gives "" and "".
class Item_Reader {
 public:
  explicit Item_Reader(std::string_view text) : text_(text) {}
  // The next item, or nullopt at the end of the text.
  std::optional<std::string_view> next();
  // True when next() would give nullopt.
  bool at_end() const { return position_ >= text_.size() && !after_comma_; }
  // 1-based number of the line the next item starts on (for messages).
  std::size_t line_number() const { return line_; }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
  std::size_t line_ = 1;
  bool after_comma_ = false;  // the last item ended at a comma: one more item follows
};

class Line_Reader {
 public:
  explicit Line_Reader(std::string_view text) : text_(text) {}
  // The next line without its line end, or nullopt at the end of the text.
  std::optional<std::string_view> next();
  bool at_end() const { return position_ >= text_.size(); }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

}  // namespace quorin::text
