// The help screen driven as a user drives it: the keyword list, a chosen topic, scrolling, the
// readme, closing, and what the user is told when the files are not as they should be.

#include <gtest/gtest.h>

#include "help_fixture.h"
#include "state/navigation.h"
#include "support/form_driver.h"

namespace quorin {
namespace {

using testing::Help_Screen;

TEST_F(Help_Screen, CommandButtonTopicShowsItsTitleSectionAndText) {
  write_help({"2,3,データ保存,カウントを保存します。"});
  Reg_Help& help = open_help();
  testing::click(help.Label1[1]);
  EXPECT_EQ(help.Text2.text, "データ保存  (コマンドボタン)");
  EXPECT_EQ(help.Text3.text, "<データ入力>");
  EXPECT_EQ(help.Text1.text, "\r\nカウントを保存します。\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(Help_Screen, SectionTextFollowsTheCodeAndAnUnknownCodeKeepsTheLastOne) {
  write_help({"3,0,a,x", "7,0,b,x", "0,0,c,x", "2.5,0,d,x", "4,0,e,x", "1,0,f,x", "-1,0,g,x"});
  Reg_Help& help = open_help();
  struct Step {
    int keyword;
    const char* section;
  };
  const Step steps[] = {{1, "<検量線表示>"}, {2, "<検量線表示>"}, {3, ""},          {4, ""},
                        {5, "<測定結果>"},   {6, "<条件設定>"},   {7, "<条件設定>"}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.keyword);
    testing::click(help.Label1[step.keyword]);
    EXPECT_EQ(help.Text3.text, step.section);
  }
}

TEST_F(Help_Screen, ThirtyRecordsHideKeywords31To100) {
  write_help(testing::numbered_records(30));
  Reg_Help& help = open_help();
  EXPECT_FALSE(help.Label1[0].visible);
  for (int i = 1; i <= 100; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(help.Label1[i].visible, i <= 30);
    EXPECT_EQ(help.Label1[i].caption, i <= 30 ? "項目" + std::to_string(i) : "");
  }
  EXPECT_EQ(help.Label1[1].fore_colour, ui::Blue);
  EXPECT_EQ(help.Label1[24].fore_colour, ui::Blue);
  EXPECT_EQ(help.Label1[2].fore_colour, ui::Black);
}

// Where keyword i stands inside the window Picture1, in twips from its top.
int top_in_window(const Reg_Help& help, int i) { return help.Picture2.top + help.Label1[i].top; }

TEST_F(Help_Screen, ScrollBarReachesTheLastKeywordWhateverTheirNumber) {
  for (int n : {0, 1, 9, 10, 11, 30, 74, 100}) {
    SCOPED_TRACE(n);
    write_help(testing::numbered_records(n));
    Reg_Help& help = open_help();
    const bool fits_unscrolled = top_in_window(help, n) + help.Label1[n].height <= help.Picture1.height;
    help.VScroll1.set_value(help.VScroll1.max);
    const int bottom = top_in_window(help, n) + help.Label1[n].height;
    EXPECT_LE(bottom, help.Picture1.height) << "the last keyword is shown in full";
    EXPECT_GE(top_in_window(help, n), 0);
    EXPECT_LE(help.Label1[n].top + help.Label1[n].height, help.Picture2.height) << "and not cut off by the list";
    if (fits_unscrolled) {
      EXPECT_EQ(help.VScroll1.max, 0) << "nothing to scroll";
    } else {
      EXPECT_LT(help.Picture1.height - bottom, Reg_Help::Keyword_Pitch) << "no empty rows below the last keyword";
    }
    EXPECT_EQ(help.VScroll1.min, 0);
    program.close(Screen::Help);
  }
}

TEST_F(Help_Screen, QuotedItemKeepsItsCommaAndTheNextRecordStaysInPlace) {
  write_help({"1,0,\"NSB, TOTAL\",\"非特異結合, 全カウント\"", "1,0,次の項目,説明"});
  Reg_Help& help = open_help();
  ASSERT_EQ(help.topic_count(), 2);
  EXPECT_EQ(help.Label1[1].caption, "NSB, TOTAL");
  EXPECT_EQ(help.Label1[2].caption, "次の項目");
  testing::click(help.Label1[1]);
  EXPECT_EQ(help.Text1.text, "\r\n非特異結合, 全カウント\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
}

TEST_F(Help_Screen, RecordsThatCannotBeShownAreLeftOutAndReported) {
  std::vector<std::string> with_empty_lines = {"1,0,a,x", "", "", ""};
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    int shown;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"more than 100",
       testing::numbered_records(103),
       100,
       {"help.csv の項目が100件を超えています。101件目からの3件は表示されません。"}},
      {"a half record at the end",
       {"1,0,a,x", "2,3,b"},
       1,
       {"help.csv の2行目の項目は4つの欄がそろっていないため表示されません。"}},
      {"empty lines at the end are no record", with_empty_lines, 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    write_help(c.lines);
    platform.messages.clear();
    Reg_Help& help = open_help();
    EXPECT_EQ(help.topic_count(), c.shown);
    EXPECT_TRUE(help.Label1[c.shown].visible);
    EXPECT_EQ(platform.messages, c.messages);
    program.close(Screen::Help);
  }
}

TEST_F(Help_Screen, MissingFilesGiveAMessageAndAnEmptyScreen) {
  Reg_Help& help = open_help();
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_TRUE(platform.messages[0].starts_with("help.csv が見つかりません（探した場所: " + folder.path().string()))
      << platform.messages[0];
  EXPECT_EQ(help.topic_count(), 0);
  for (int i = 0; i <= 100; ++i) EXPECT_FALSE(help.Label1[i].visible);
  EXPECT_EQ(help.VScroll1.max, 0);

  testing::click(help.Command2);
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_TRUE(platform.messages[1].starts_with("readme.csv が見つかりません")) << platform.messages[1];
  EXPECT_EQ(help.Text1.text, "");
  EXPECT_EQ(help.Text2.text, "Readme");
}

TEST_F(Help_Screen, FileThatIsNotCodePage932TextIsNotShown) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string message_start;
  };
  const Case cases[] = {
      {"binary", std::string("1,0,a,x\r\n\0\0\0\x01\x02", 14), "help.csv はテキストファイルではありません: "},
      {"a byte code page 932 does not have", "1,0,a,x\r\n1,0,\x80,x\r\n",
       "help.csv の文字コードがシフトJISではありません（2行目）: "},
      {"UTF-8", "1,0,\xE6\xA4\x9C\xE9\x87\x8F\xE7\xB7\x9A,x\r\n",
       "help.csv の文字コードがシフトJISではありません（UTF-8のようです）: "},
      {"UTF-8 with its byte-order mark",
       "\xEF\xBB\xBF"
       "1,0,a,x\r\n",
       "help.csv の文字コードがシフトJISではありません（UTF-8のようです）: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::write_bytes(folder.file("help.csv"), c.bytes);
    platform.messages.clear();
    Reg_Help& help = open_help();
    EXPECT_EQ(help.topic_count(), 0);
    EXPECT_FALSE(help.Label1[1].visible);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], c.message_start + folder.file("help.csv"));
    program.close(Screen::Help);
  }
}

TEST_F(Help_Screen, FolderNamedLikeTheHelpFileIsNotTakenForIt) {
  std::filesystem::create_directory(folder.file("help.csv"));
  Reg_Help& help = open_help();
  EXPECT_EQ(help.topic_count(), 0);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_TRUE(platform.messages[0].starts_with("help.csv が見つかりません")) << platform.messages[0];
}

// Remembers what the title box showed each time the screen was let repaint.
class Repaint_Watch : public ui::Scripted_Platform {
 public:
  void process_events() override {
    Scripted_Platform::process_events();
    if (help != nullptr) titles_painted.push_back(help->Text2.text);
  }
  const Reg_Help* help = nullptr;
  std::vector<std::string> titles_painted;
};

TEST(Help_Readme, EachItemIsOneLineAndTheTitleTellsItIsBeingPrepared) {
  testing::Scratch_Folder folder;
  testing::write_bytes(folder.file("help.csv"), testing::cp932_lines({"2,0,a,x"}));
  testing::write_bytes(folder.file("readme.csv"),
                       testing::cp932_lines({"一行目,二行目", "", "\"三行目, 続き\"", "四行目"}));
  Repaint_Watch platform;
  Program program(platform);
  program.show(Screen::Help);
  auto& help = *program.screen_as<Reg_Help>(Screen::Help);
  platform.help = &help;
  testing::click(help.Label1[1]);
  testing::click(help.Command2);
  EXPECT_EQ(platform.titles_painted, (std::vector<std::string>{"リードミーを準備中です。"}));
  EXPECT_EQ(help.Text1.text, "一行目\r\n二行目\r\n\r\n三行目, 続き\r\n四行目\r\n");
  EXPECT_EQ(help.Text2.text, "Readme");
  EXPECT_EQ(help.Text3.text, "") << "the readme belongs to no section";
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(Help_Screen, ReachedThroughTheDispatcherAndReadAfreshAfterClosing) {
  write_help({"1,0,古い項目,x"});
  program.state.Screen_No = 1;
  Command_Exec(program, target::Help);
  auto* help = program.screen_as<Reg_Help>(Screen::Help);
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->Label1[1].caption, "古い項目");

  testing::click(help->Command1);
  EXPECT_EQ(program.screen(Screen::Help), nullptr);

  write_help({"1,0,新しい項目,x"});
  Command_Exec(program, target::Help);
  EXPECT_EQ(program.screen_as<Reg_Help>(Screen::Help)->Label1[1].caption, "新しい項目");
}

}  // namespace
}  // namespace quorin
