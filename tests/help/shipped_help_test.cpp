// The help and readme files shipped with the program: they read without complaint, each section
// heading stands where the screen colours it, and every explanation fits in what the screen shows.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "help/help_file.h"
#include "help/reg_help.h"
#include "help/topic_display.h"

namespace quorin::help {
namespace {

const std::vector<std::string> Resources = {QUORIN_SOURCE_DIR "/resources"};

// The kind the help file gives its section headings.
constexpr int Heading_Kind = 1;

std::size_t characters(const std::string& utf8) {
  std::size_t count = 0;
  for (const char byte : utf8) count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
  return count;
}

TEST(Shipped_Help, HeadingsStandWhereTheScreenColoursThem) {
  const Help_Read read = read_help_topics(Resources);
  ASSERT_EQ(read.message, "");
  ASSERT_GT(read.topics.size(), 60u);
  ASSERT_LE(read.topics.size(), static_cast<std::size_t>(Max_Topics));

  const std::set<int> headings(std::begin(Reg_Help::Heading_Positions), std::end(Reg_Help::Heading_Positions));
  // Each heading opens the section it names; the topics under it belong to it or are general (0).
  int section = -1;
  std::size_t headings_seen = 0;
  for (std::size_t k = 1; k <= read.topics.size(); ++k) {
    const Help_Topic& topic = read.topics[k - 1];
    SCOPED_TRACE(std::to_string(k) + " " + topic.Help_Title);
    const bool heading = headings.count(static_cast<int>(k)) != 0;
    EXPECT_EQ(topic.Help_Kind == Heading_Kind, heading);
    if (heading) {
      section = topic.Help_Section;
      ++headings_seen;
    } else if (topic.Help_Section != 0) {
      EXPECT_EQ(topic.Help_Section, section) << "a topic of section " << section;
    }
  }
  EXPECT_EQ(headings_seen, headings.size());
}

TEST(Shipped_Help, EveryTopicIsShownInFull) {
  const Help_Read read = read_help_topics(Resources);
  std::set<std::string> titles;
  for (const Help_Topic& topic : read.topics) {
    SCOPED_TRACE(topic.Help_Title);
    EXPECT_FALSE(topic.Help_Title.empty());
    EXPECT_TRUE(titles.insert(topic.Help_Title).second) << "each keyword once";
    EXPECT_FALSE(topic.Help_Text.empty());
    EXPECT_LE(characters(topic.Help_Text), static_cast<std::size_t>(Piece_Characters * Pieces_Shown));
    EXPECT_TRUE(section_text(topic.Help_Section).has_value());
  }
}

TEST(Shipped_Readme, ReadsAsLines) {
  const Readme_Read read = read_readme_lines(Resources);
  EXPECT_EQ(read.message, "");
  EXPECT_GE(read.lines.size(), 5u);
}

}  // namespace
}  // namespace quorin::help
