#include "text/cp932.h"

#include <gtest/gtest.h>

#include <string>

namespace quorin::text {
namespace {

TEST(Cp932, TheClassicTrapsRoundTrip) {
  std::string ascii;
  for (int c = 0; c < 0x80; ++c) ascii.push_back(static_cast<char>(c));
  // clang-format off
  const std::pair<std::string, std::string> pairs[] = {
      {ascii, ascii}, {ascii + "あ", ascii + "\x82\xA0"}, {"", ""}, {"～", "\x81\x60"} /* U+FF5E, not U+301C */,
      {"－", "\x81\x7C"}, {"∥", "\x81\x61"}, {"￠", "\x81\x91"}, {"￢", "\x81\xCA"}, {"髙", "\xFB\xFC"}, {"①", "\x87\x40"},
      {"ⅰ", "\xFA\x40"}, {"\u3000", "\x81\x40"}, {"ｽﾀﾝﾀﾞｰﾄﾞ", "\xBD\xC0\xDD\xC0\xDE\xB0\xC4\xDE"},
      {"\\", "\\"} /* 0x5C is the backslash, not the yen sign */};
  // clang-format on
  for (const auto& [utf8, cp932] : pairs) {
    EXPECT_EQ(utf8_to_cp932(utf8), cp932) << utf8;
    EXPECT_EQ(cp932_to_utf8(cp932), utf8) << utf8;
  }
  // NEC-selected IBM extensions read as the same characters as the IBM ones.
  EXPECT_EQ(cp932_to_utf8("\xEE\xEF\xED\x40"), std::string("ⅰ纊"));
}

// Characters it cannot hold, characters glibc maps one way only (they would read back as
// another), broken UTF-8 and bytes that are no code page 932: refused where they stand.
TEST(Cp932, RefusesWhatDoesNotComeBack) {
  // clang-format off
  const std::pair<std::string, std::size_t> texts[] = {
      {"ab😀", 2}, {"ab€cd", 2}, {"äx", 0}, {"한", 0}, {"\u00A0", 0}, {"日本¥", 6}, {"〜", 0}, {"−", 0}, {"‖", 0},
      {"ab\xC3", 2}, {"\xFF" "a", 0}, {"あ\xED\xA0\x80", 3}, {"\xC0\xAF", 0}};
  const std::pair<std::string, std::size_t> bytes[] = {
      {"ab\x81", 2}, {"a\x81\x20", 1}, {"\x82\xA0\x80", 2}, {"\xA0", 0}, {"\xFD", 0}, {"\xFF", 0}, {"\x81\x7F", 0}};
  // clang-format on
  Cp932_Error error;
  for (const auto& [text, offset] : texts) {
    EXPECT_FALSE(utf8_to_cp932(text, &error).has_value()) << text;
    EXPECT_EQ(error.offset, offset) << text;
  }
  for (const auto& [text, offset] : bytes) {
    EXPECT_FALSE(cp932_to_utf8(text, &error).has_value()) << text;
    EXPECT_EQ(error.offset, offset) << text;
  }
  utf8_to_cp932("ab€cd", &error);
  EXPECT_EQ(error.character, "€");
  utf8_to_cp932("ab\xC3", &error);
  EXPECT_EQ(error.character, "\\xC3");
}

}  // namespace
}  // namespace quorin::text
