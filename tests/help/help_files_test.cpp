// The help and readme files shipped with the program read without complaint, each section heading
// stands where the screen colours it and every explanation fits in the five lines of 28
// characters the screen shows.

#include <gtest/gtest.h>

#include <set>

#include "help/help_file.h"
#include "help/reg_help.h"
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

TEST(Explanation, PiecesOfTwentyEightCharactersWhateverTheirBytesUpTo140) {
  const std::string kanji = repeat("検", 28), kana = repeat("ｶ", 28), ascii = repeat("x", 28);
  const std::pair<std::string, std::string> cases[] = {
      {"", shown("")},
      {kanji + "量", shown(kanji, "量")},
      {ascii + kanji + kana + "ﾃ", shown(ascii, kanji, kana, "ﾃ")},
      {repeat(ascii + kanji, 2) + kana, shown(ascii, kanji, ascii, kanji, kana)},
      {repeat(kanji, 5) + "線", shown(kanji, kanji, kanji, kanji, kanji)},  // beyond 140: not shown
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(explanation_text(text), expected) << text;
}

TEST(Shipped_Help, HeadingsStandWhereTheScreenColoursThemAndEveryTopicIsShownInFull) {
  const Help_Read read = read_help_topics({QUORIN_SOURCE_DIR "/resources"});
  ASSERT_EQ(read.message, "");
  ASSERT_GT(read.topics.size(), 60u);
  const std::set<int> headings(std::begin(Reg_Help::Heading_Positions), std::end(Reg_Help::Heading_Positions));
  std::set<std::string> titles;
  int section = -1;
  for (std::size_t k = 1; k <= read.topics.size(); ++k) {
    const Help_Topic& topic = read.topics[k - 1];
    SCOPED_TRACE(std::to_string(k) + " " + topic.Help_Title);
    EXPECT_EQ(topic.Help_Kind == 1, headings.count(static_cast<int>(k)) == 1) << "kind 1 is a heading";
    if (topic.Help_Kind == 1) section = topic.Help_Section;
    EXPECT_TRUE(topic.Help_Section == 0 || topic.Help_Section == section) << "under its heading";
    EXPECT_TRUE(titles.insert(topic.Help_Title).second) << "each keyword once";
    EXPECT_FALSE(topic.Help_Text.empty());
    std::size_t characters = 0;
    for (const char byte : topic.Help_Text) characters += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    EXPECT_LE(characters, static_cast<std::size_t>(Piece_Characters * Pieces_Shown)) << "shown in full";
    EXPECT_TRUE(section_text(topic.Help_Section).has_value());
  }
  const Readme_Read readme = read_readme_lines({QUORIN_SOURCE_DIR "/resources"});
  EXPECT_EQ(readme.message, "");
  EXPECT_GE(readme.lines.size(), 5u);
}

}  // namespace
}  // namespace quorin::help
