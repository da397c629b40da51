#include "text/items.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quorin::text {
namespace {

// The items of a text read whole; read part by part through Item_Stream, in parts of 1 to 3
// bytes, it must give the same items on the same lines.
std::vector<std::string> items(std::string_view text) {
  std::vector<std::string> out;
  std::vector<std::size_t> lines;
  Item_Reader reader(text);
  for (lines.push_back(reader.line_number()); auto item = reader.next(); lines.push_back(reader.line_number()))
    out.emplace_back(*item);
  EXPECT_TRUE(reader.at_end());
  EXPECT_FALSE(reader.next().has_value());

  for (std::size_t part = 1; part <= 3; ++part) {
    std::size_t given = 0;
    Item_Stream stream(
        [&](char* into, std::size_t room) {
          const std::size_t n = std::min({part, room, text.size() - given});
          std::copy_n(text.data() + given, n, into);
          given += n;
          return n;
        },
        part);
    std::vector<std::string> streamed;
    std::vector<std::size_t> stream_lines;
    for (stream_lines.push_back(stream.line_number()); auto item = stream.next();
         stream_lines.push_back(stream.line_number()))
      streamed.emplace_back(*item);
    EXPECT_EQ(streamed, out) << "in parts of " << part;
    EXPECT_EQ(stream_lines, lines) << "in parts of " << part;
  }
  return out;
}

std::vector<std::string> lines(std::string_view text) {
  std::vector<std::string> out;
  Line_Reader reader(text);
  while (auto line = reader.next()) out.emplace_back(*line);
  EXPECT_TRUE(reader.at_end());
  return out;
}

using Texts = std::vector<std::string>;

TEST(ItemReader, SplitsAtCommasAndLineEnds) {
  struct Case {
    const char* text;
    Texts expected;
  };
  const Case cases[] = {
      {" 1500 \r\n\r\n-3 \r\n", {"1500", "", "-3"}},  // a count file: an empty line is an empty item
      {"1, 2,  3\r\n4", {"1", "2", "3", "4"}},
      {"a,,b", {"a", "", "b"}},
      {"1\r\n2\n3\r4", {"1", "2", "3", "4"}},
      {"1\r\r\n2", {"1", "", "2"}},  // lone CR, then CR LF: an empty line
      {"1\n\r2", {"1", "", "2"}},    // LF then lone CR
      {"1\r\n", {"1"}},              // the last line end gives no item
      {"", {}},
      {"\r\n\r\n", {"", ""}},
      {"   \r\n5", {"", "5"}},  // a line of blanks is one empty item
      {"  a b  ,c\t\r\n", {"a b", "c"}},
      {"12,\r\n34", {"12", "", "34"}},  // a trailing comma ends an empty item
      {"12, ", {"12", ""}},
      {",", {"", ""}},
      {"\"a,b\",c", {"a,b", "c"}},
      {"  \"  a  \"  \r\n", {"  a  "}},
      {"\"x\"junk,y", {"x", "y"}},  // after the closing quote: ignored
      {"\"two\r\nlines\",z", {"two\r\nlines", "z"}},
      {"\"\"", {""}},
      {"\"open, to the end", {"open, to the end"}},
      {"1,\"ヘルプ,項目\",3", {"1", "ヘルプ,項目", "3"}},
  };
  for (const Case& c : cases) EXPECT_EQ(items(c.text), c.expected) << c.text;

  Item_Reader reader("12,");
  ASSERT_EQ(reader.next(), std::string_view("12"));
  EXPECT_FALSE(reader.at_end()) << "the empty item after the comma is still to come";
}

TEST(ItemReader, LineNumbers) {
  Item_Reader reader("a,b\r\nc\n\"d\r\ne\"\rf");
  EXPECT_EQ(reader.line_number(), 1u);
  reader.next();  // a
  EXPECT_EQ(reader.line_number(), 1u);
  reader.next();  // b
  EXPECT_EQ(reader.line_number(), 2u);
  reader.next();  // c
  EXPECT_EQ(reader.line_number(), 3u);
  reader.next();  // "d\r\ne"
  EXPECT_EQ(reader.line_number(), 5u);
  EXPECT_EQ(reader.next(), std::string_view("f"));
}

TEST(ItemReader, ViewsPointIntoTheText) {
  const std::string text = " 1500 \r\n";
  Item_Reader reader(text);
  const auto item = reader.next();
  ASSERT_TRUE(item);
  EXPECT_EQ(item->data(), text.data() + 1);
}

TEST(LineReader, Lines) {
  EXPECT_EQ(lines(""), Texts{});
  EXPECT_EQ(lines("a"), (Texts{"a"}));
  EXPECT_EQ(lines("a\r\n"), (Texts{"a"}));
  EXPECT_EQ(lines("a\r\nb"), (Texts{"a", "b"}));
  EXPECT_EQ(lines("a\nb\rc\r\nd"), (Texts{"a", "b", "c", "d"}));
  EXPECT_EQ(lines("\r\n\r\n"), (Texts{"", ""}));
  EXPECT_EQ(lines("\r\r\n"), (Texts{"", ""}));
  EXPECT_EQ(lines(" a, b \r\n"), (Texts{" a, b "}));      // no item splitting, blanks kept
  EXPECT_EQ(lines("\"q\r\nx\""), (Texts{"\"q", "x\""}));  // quotes mean nothing to lines
}

}  // namespace
}  // namespace quorin::text
