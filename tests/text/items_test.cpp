#include "text/items.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace quorin::text {
namespace {

// The items of a text read whole, each with the line it ends on ("item@line", joined by "|"); read
// part by part through Item_Stream, in parts of 1 to 3 bytes, it must give the same.
std::string items(std::string_view text) {
  std::string whole;
  Item_Reader reader(text);
  while (auto item = reader.next()) whole += std::string(*item) + "@" + std::to_string(reader.line_number()) + "|";
  EXPECT_TRUE(reader.at_end());
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
    std::string streamed;
    while (auto item = stream.next()) streamed += std::string(*item) + "@" + std::to_string(stream.line_number()) + "|";
    EXPECT_EQ(streamed, whole) << "in parts of " << part;
  }
  return whole;
}

// An empty line is an empty item, and so is a line of blanks; a lone CR ends a line; a trailing
// comma ends an empty item; what follows a closing quote is ignored.
TEST(ItemReader, SplitsAtCommasAndLineEndsAndCountsLines) {
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      {" 1500 \r\n\r\n-3 \r\n", "1500@2|@3|-3@4|"}, {"1, 2,  3\r\n4", "1@1|2@1|3@2|4@2|"}, {"", ""},
      {"1\r\n2\n3\r4", "1@2|2@3|3@4|4@4|"},         {"1\r\r\n2", "1@2|@3|2@3|"},       {"1\n\r2", "1@2|@3|2@3|"},
      {"   \r\n5", "@2|5@2|"},                        {"  a b  ,c\t\r\n", "a b@1|c@2|"},   {"12,\r\n34", "12@1|@2|34@2|"},
      {",", "@1|@1|"},                                {"\"a,b\",c", "a,b@1|c@1|"},        {"  \"  a  \"  \r\n", "  a  @2|"},
      {"\"x\"junk,y", "x@1|y@1|"},                    {"\"\"", "@1|"},                    {"\"open, to the end", "open, to the end@1|"},
      {"\"two\r\nlines\",z\rf", "two\r\nlines@2|z@3|f@3|"}, {"1,\"ヘルプ,項目\",3", "1@1|ヘルプ,項目@1|3@1|"}};
  // clang-format on
  for (const auto& [text, expected] : cases) EXPECT_EQ(items(text), expected) << text;
  const std::string text = " 1500 \r\n";
  EXPECT_EQ(Item_Reader(text).next()->data(), text.data() + 1) << "views point into the text";
}

TEST(LineReader, LinesWithoutItemsOrQuotes) {
  std::string lines;
  Line_Reader reader("a\nb\rc\r\n\r\r\n a, \"b \r\n");
  while (auto line = reader.next()) lines += std::string(*line) + "|";
  EXPECT_TRUE(reader.at_end());
  EXPECT_EQ(lines, "a|b|c||| a, \"b |");
}

}  // namespace
}  // namespace quorin::text
