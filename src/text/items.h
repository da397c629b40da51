#pragma once
// The comma-separated item reader and the line reader of the program's text files. Both work on
// a text held in memory and hand out views into it (no allocation per item). Lines end with
// CR LF, LF or a lone CR; a last line without a line end is still a line.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
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

// The items of a text read part by part from a source, exactly as Item_Reader gives them, with the
// same line numbers, holding only the part being read: for files too large to hold whole.
class Item_Stream {
 public:
  // Puts up to `room` bytes of the text at `into` and returns how many; 0 at its end.
  using Source = std::function<std::size_t(char* into, std::size_t room)>;
  // An item (with the line end or comma after it) longer than longest_item bytes ends the
  // reading: it is given cut at that length, and too_long() tells.
  explicit Item_Stream(Source source, std::size_t part_size = std::size_t{1} << 20,
                       std::size_t longest_item = std::size_t{1} << 22);
  // The next item, valid until the next call, or nullopt at the end of the text.
  std::optional<std::string_view> next();
  // 1-based number of the line the next item starts on.
  std::size_t line_number() const { return line_; }
  bool too_long() const { return too_long_; }

 private:
  bool read_more();

  Source source_;
  std::string buffer_;
  std::size_t begin_ = 0, end_ = 0;  // the unread bytes of the buffer
  std::size_t longest_item_;
  std::size_t line_ = 1;
  bool ended_ = false;        // the source has given all of the text
  bool after_comma_ = false;  // the last item ended at a comma
  bool too_long_ = false;
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
