#include "text/items.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/number_text.h"

namespace quorin::text {
namespace {

std::vector<std::string> items(std::string_view text) {
  std::vector<std::string> out;
  Item_Reader reader(text);
  while (auto item = reader.next()) out.emplace_back(*item);
  EXPECT_TRUE(reader.at_end());
  EXPECT_FALSE(reader.next().has_value());
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

TEST(ItemReader, CountFileForm) {
  // A count data file: " 1500 " CR LF, an empty line for 0, "-3 " CR LF.
  EXPECT_EQ(items(" 1500 \r\n\r\n-3 \r\n"), (Texts{"1500", "", "-3"}));
  Item_Reader reader(" 1500 \r\n\r\n-3 \r\n");
  std::vector<double> values;
  while (auto item = reader.next()) values.push_back(round_half_even(Val(*item)));
  EXPECT_EQ(values, (std::vector<double>{1500, 0, -3}));
}

TEST(ItemReader, CommaSeparates) {
  EXPECT_EQ(items("12,34\r\n"), (Texts{"12", "34"}));
  EXPECT_EQ(items("12,34"), (Texts{"12", "34"}));
  EXPECT_EQ(items("1, 2,  3\r\n4"), (Texts{"1", "2", "3", "4"}));
  EXPECT_EQ(items("a,,b"), (Texts{"a", "", "b"}));
}

TEST(ItemReader, LineEnds) {
  EXPECT_EQ(items("1\r\n2\n3\r4"), (Texts{"1", "2", "3", "4"}));
  EXPECT_EQ(items("1\r\r\n2"), (Texts{"1", "", "2"}));     // lone CR, then CR LF: an empty line
  EXPECT_EQ(items("1\n\r2"), (Texts{"1", "", "2"}));       // LF then lone CR
  EXPECT_EQ(items("1\r\n"), (Texts{"1"}));                 // the last line end gives no item
  EXPECT_EQ(items("1"), (Texts{"1"}));                     // last line without a line end
}

TEST(ItemReader, EmptyLines) {
  EXPECT_EQ(items(""), Texts{});
  EXPECT_EQ(items("\r\n"), (Texts{""}));
  EXPECT_EQ(items("\r\n\r\n"), (Texts{"", ""}));
  EXPECT_EQ(items("1\r\n\r\n"), (Texts{"1", ""}));
  EXPECT_EQ(items("1\r\n\r\n2\r\n"), (Texts{"1", "", "2"}));
  EXPECT_EQ(items("   \r\n5"), (Texts{"", "5"}));  // a line of blanks is one empty item
}

TEST(ItemReader, BlanksAroundItems) {
  EXPECT_EQ(items("  \t12"), (Texts{"12"}));
  EXPECT_EQ(items("12  \t\r\n"), (Texts{"12"}));
  EXPECT_EQ(items("  a b  ,c"), (Texts{"a b", "c"}));
}

TEST(ItemReader, TrailingComma) {
  EXPECT_EQ(items("12,\r\n34"), (Texts{"12", "", "34"}));
  EXPECT_EQ(items("12,"), (Texts{"12", ""}));
  EXPECT_EQ(items("12, "), (Texts{"12", ""}));
  EXPECT_EQ(items(","), (Texts{"", ""}));
  Item_Reader reader("12,");
  ASSERT_EQ(reader.next(), std::string_view("12"));
  EXPECT_FALSE(reader.at_end());
  ASSERT_EQ(reader.next(), std::string_view(""));
  EXPECT_TRUE(reader.at_end());
}

TEST(ItemReader, QuotedItems) {
  EXPECT_EQ(items("\"a,b\",c"), (Texts{"a,b", "c"}));
  EXPECT_EQ(items("  \"  a  \"  \r\n"), (Texts{"  a  "}));
  EXPECT_EQ(items("\"x\"junk,y"), (Texts{"x", "y"}));       // after the closing quote: ignored
  EXPECT_EQ(items("\"two\r\nlines\",z"), (Texts{"two\r\nlines", "z"}));
  EXPECT_EQ(items("\"\""), (Texts{""}));
  EXPECT_EQ(items("\"open, to the end"), (Texts{"open, to the end"}));
  EXPECT_EQ(items("1,\"ヘルプ,項目\",3"), (Texts{"1", "ヘルプ,項目", "3"}));
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
  EXPECT_EQ(lines(" a, b \r\n"), (Texts{" a, b "}));  // no item splitting, blanks kept
  EXPECT_EQ(lines("\"q\r\nx\""), (Texts{"\"q", "x\""}));  // quotes mean nothing to lines
}

TEST(LineReader, ThirtyThreeLineConditionFile) {
  std::string text;
  for (int k = 0; k < 33; ++k) text += (k % 3 == 0 ? "" : "line " + std::to_string(k)) + "\r\n";
  const auto all = lines(text);
  ASSERT_EQ(all.size(), 33u);
  EXPECT_EQ(all[0], "");
  EXPECT_EQ(all[32], "line 32");
}

}  // namespace
}  // namespace quorin::text
