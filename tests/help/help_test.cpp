// The help screen driven as a user drives it: the keyword list, a chosen topic, scrolling, the
// readme, and what the user is told when the files are not as they should be; the files are taken
// from the first folder that holds them. The shipped files read without complaint, each section
// heading stands where the screen colours it and every explanation fits in its five lines of 28
// characters.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>

#include "help/help_file.h"
#include "help/help_location.h"
#include "help/reg_help.h"
#include "help/topic_display.h"
#include "state/program_fixture.h"

namespace quorin {
namespace {

// Lines in UTF-8 joined with CR LF and converted to code page 932.
std::string cp932_lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return testing::cp932(text);
}

// A help file of `count` numbered topics.
std::string numbered_topics(int count) {
  std::vector<std::string> records;
  for (int k = 1; k <= count; ++k) records.push_back("1,0,項目" + std::to_string(k) + ",説明" + std::to_string(k));
  return cp932_lines(records);
}

class Help_Screen : public testing::Program_Test {
 protected:
  // The screen opened afresh on the help file as it is, or on these bytes.
  Reg_Help& reopen(const std::optional<std::string>& bytes = {}) {
    if (bytes) testing::write_bytes("help.csv", *bytes);
    program.close(Screen::Help);
    platform.messages.clear();
    program.show(Screen::Help);
    return *program.screen_as<Reg_Help>(Screen::Help);
  }
};

// A text's line ends as ¶, to be read in a recorded output.
std::string visible(std::string text) {
  for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, "¶");
  return text;
}

// Each keyword clicked in turn: its title, the section (an unknown code keeps the last one) and
// the explanation; then the readme, each item a line.
TEST_F(Help_Screen, TopicsAndTheReadmeAsShownAndTheScrollBarReachesTheLastKeyword) {
  std::string long_text;  // cut into lines of 28 characters whatever their bytes, 140 at most
  for (int k = 0; k < 57; ++k) long_text += k < 29 ? "検" : "ｶ";
  long_text += std::string(100, 'x');
  testing::write_bytes("readme.csv", cp932_lines({"一行目,二行目", "", "\"三行目, 続き\""}));
  Reg_Help& help =
      reopen(cp932_lines({"2,3,データ保存,カウントを保存します。", "1,0,\"NSB, TOTAL\",\"非特異, 全\"", "7,0,b,x",
                          "4,0,e,x", "-1,0,g,x", "3,0,c,x", "0,0,z,x", "1,1,長い説明," + long_text}));
  std::string shown;
  for (int keyword : {1, 3, 4, 5, 6, 7, 2, 8}) {
    testing::click(help.Label1[keyword]);
    shown += help.Label1[keyword].caption + " | " + help.Text2.text + " | " + help.Text3.text + " | " +
             visible(help.Text1.text) + "\n";
  }
  testing::click(help.Command2);
  shown += "| " + help.Text2.text + " | " + help.Text3.text + " | " + visible(help.Text1.text) + "\n";
  testing::expect_golden("topics.txt", shown);
  EXPECT_TRUE(platform.messages.empty());

  // Whatever the number of keywords, the scroll bar reaches the last one and no further.
  for (int n : {0, 1, 9, 10, 11, 30, 74, 100}) {
    SCOPED_TRACE(n);
    Reg_Help& numbered = reopen(numbered_topics(n));
    for (int i = 1; i <= help::Max_Topics; ++i) EXPECT_EQ(numbered.Label1[i].visible, i <= n) << i;
    const auto top = [&] { return numbered.Picture2.top + numbered.Label1[n].top; };  // in the window Picture1
    const auto room_below = [&] { return numbered.Picture1.height - top() - Reg_Help::Keyword_Height; };
    const bool fits_unscrolled = room_below() >= 0;
    numbered.VScroll1.set_value(numbered.VScroll1.max);
    EXPECT_TRUE(top() >= 0 && room_below() >= 0) << "the last one in full";
    EXPECT_TRUE(fits_unscrolled || room_below() < Reg_Help::Keyword_Pitch) << "no empty rows";
    EXPECT_EQ(numbered.VScroll1.max == 0, fits_unscrolled);
  }
  EXPECT_EQ(reopen().Label1[23].fore_colour, ui::Blue) << "a heading";
}

// What the user is told about each file, and how many of its topics are listed.
TEST_F(Help_Screen, FilesThatCannotBeShownAreReportedTheFirstFolderWinsAndTheShippedOnesShowInFull) {
  std::string told;
  for (const std::string& bytes :
       {std::string(), cp932_lines({"1,0,a,x", "2,3,b"}), cp932_lines({"1,0,a,x", "", ""}),
        std::string("1,0,a,x\r\n\0\0\0\x01\x02", 14), std::string("1,0,a,x\r\n1,0,\x80,x\r\n"),
        std::string("1,0,\xE6\xA4\x9C,x\r\n"), std::string("\xEF\xBB\xBF") + "1,0,a,x\r\n"}) {
    const int shown = reopen(bytes.empty() ? numbered_topics(103) : bytes).topic_count();
    told += std::to_string(shown) + " " + (platform.messages.empty() ? "" : platform.messages.at(0)) + "\n";
  }
  const std::string place = folder.path().string();
  for (std::size_t at; (at = told.find(place)) != std::string::npos;) told.replace(at, place.size(), "<folder>");
  testing::expect_golden("refused.txt", told);

  std::filesystem::remove("help.csv");
  std::filesystem::create_directory("help.csv");  // a folder is not taken for the file
  Reg_Help& help = reopen();
  testing::click(help.Command2);
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_TRUE(platform.messages[0].starts_with("help.csv が見つかりません（探した場所: " + place + "、"));
  EXPECT_TRUE(platform.messages[1].starts_with("readme.csv が見つかりません") && help.topic_count() == 0);
  // The first folder that holds the files wins; installed, the program lies in <prefix>/bin and its
  // help files in <prefix>/share/quorin, the last folder searched.
  const std::string first = folder.file("working"), second = folder.file("program");
  std::filesystem::create_directory(first);
  std::filesystem::create_directory(second);
  for (const std::string& where : {second, first}) {
    testing::write_bytes(where + "/help.csv", cp932_lines({"1,0," + where + ",x"}));
    EXPECT_EQ(help::read_help_topics({first, second}).topics.at(0).Help_Title, where);
  }
  EXPECT_EQ(help::help_folders().back(),
            (std::filesystem::path(help::program_folder()) / "../share/quorin").lexically_normal().string());
  // The shipped files are shown in full, with their headings where the screen colours them.
  const help::Help_Read read = help::read_help_topics({QUORIN_SOURCE_DIR "/resources"});
  ASSERT_EQ(read.message, "");
  ASSERT_GT(read.topics.size(), 60u);
  const std::set<int> headings(std::begin(Reg_Help::Heading_Positions), std::end(Reg_Help::Heading_Positions));
  for (std::size_t k = 1; k <= read.topics.size(); ++k) {
    const help::Help_Topic& topic = read.topics[k - 1];
    EXPECT_EQ(topic.Help_Kind == 1, headings.count(static_cast<int>(k)) == 1) << k << ": kind 1 is a heading";
    EXPECT_TRUE(help::section_text(topic.Help_Section).has_value()) << k;
    std::size_t characters = 0;
    for (const char byte : topic.Help_Text) characters += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    EXPECT_LE(characters, static_cast<std::size_t>(help::Piece_Characters * help::Pieces_Shown)) << k << ": in full";
  }
  EXPECT_EQ(help::read_readme_lines({QUORIN_SOURCE_DIR "/resources"}).message, "");
}

}  // namespace
}  // namespace quorin
