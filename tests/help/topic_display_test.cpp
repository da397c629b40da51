// The explanation cut into lines of 28 characters, counted as characters whatever their bytes.

#include <gtest/gtest.h>

#include "help/topic_display.h"

namespace quorin::help {
namespace {

std::string repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

// The shown text for the given five pieces.
std::string shown(const std::string& a, const std::string& b = "", const std::string& c = "", const std::string& d = "",
                  const std::string& e = "") {
  return "\r\n" + a + "\r\n\r\n" + b + "\r\n\r\n" + c + "\r\n\r\n" + d + "\r\n\r\n" + e;
}

TEST(Explanation, PiecesOfTwentyEightCharactersUpTo140) {
  const std::string kanji28 = repeat("検", 28), kana28 = repeat("ｶ", 28), ascii28 = repeat("x", 28);
  struct Case {
    const char* what;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"empty", "", shown("")},
      {"exactly one line", kanji28, shown(kanji28)},
      {"one character into the second line", kanji28 + "量", shown(kanji28, "量")},
      {"half-width katakana count one each", kana28 + "ﾃ", shown(kana28, "ﾃ")},
      {"mixed widths", ascii28 + kanji28 + kana28, shown(ascii28, kanji28, kana28)},
      {"exactly 140", repeat(ascii28 + kanji28, 2) + kana28, shown(ascii28, kanji28, ascii28, kanji28, kana28)},
      {"beyond 140 is not shown", repeat(kanji28, 5) + "線", shown(kanji28, kanji28, kanji28, kanji28, kanji28)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(explanation_text(c.text), c.expected);
  }
}

}  // namespace
}  // namespace quorin::help
