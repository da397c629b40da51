// The help screen driven as a user drives it: the keyword list, a chosen topic, scrolling, the
// readme, closing, and what the user is told when the files are not as they should be; the files
// are taken from the first folder that holds them.

#include <gtest/gtest.h>

#include <filesystem>

#include "help/help_file.h"
#include "help/help_location.h"
#include "help/reg_help.h"
#include "state/navigation.h"
#include "state/program.h"
#include "support/form_driver.h"
#include "support/test_support.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

// Lines in UTF-8 joined with CR LF and converted to code page 932.
std::string cp932_lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return testing::cp932(text);
}

// "<section>,<kind>,<title>,<text>" records: title "項目k", text "説明k".
std::vector<std::string> numbered_records(int count) {
  std::vector<std::string> records;
  for (int k = 1; k <= count; ++k) records.push_back("1,0,項目" + std::to_string(k) + ",説明" + std::to_string(k));
  return records;
}

// Remembers what the title box showed each time the screen was let repaint.
class Repaint_Watch : public ui::Scripted_Platform {
 public:
  void process_events() override {
    if (auto* help = program->screen_as<Reg_Help>(Screen::Help)) titles_painted.push_back(help->Text2.text);
  }
  Program* program = nullptr;
  std::vector<std::string> titles_painted;
};

class Help_Screen : public ::testing::Test {
 protected:
  Help_Screen() : program(platform) { platform.program = &program; }
  void write_help(const std::vector<std::string>& lines) { testing::write_bytes("help.csv", cp932_lines(lines)); }
  Reg_Help& reopen() {
    program.close(Screen::Help);
    platform.messages.clear();
    program.show(Screen::Help);
    return *program.screen_as<Reg_Help>(Screen::Help);
  }

  testing::Scratch_Folder folder;
  Repaint_Watch platform;
  Program program;
};

TEST_F(Help_Screen, TopicsShowTitleSectionAndTextAndTheReadmeItsLines) {
  write_help({"2,3,データ保存,カウントを保存します。", "1,0,\"NSB, TOTAL\",\"非特異, 全\"", "7,0,b,x", "4,0,e,x",
              "-1,0,g,x", "3,0,c,x", "0,0,z,x"});
  testing::write_bytes("readme.csv", cp932_lines({"一行目,二行目", "", "\"三行目, 続き\""}));
  Reg_Help& help = reopen();
  const std::pair<int, const char*> steps[] = {{1, "<データ入力>"}, {3, "<データ入力>"}, {4, "<測定結果>"},
                                               {5, "<測定結果>"},   {6, "<検量線表示>"}, {7, ""},
                                               {2, "<条件設定>"}};
  for (const auto& [keyword, section] : steps) {
    testing::click(help.Label1[keyword]);
    EXPECT_EQ(help.Text3.text, section) << keyword;  // an unknown section code keeps the last one
  }
  EXPECT_EQ(help.Label1[2].caption, "NSB, TOTAL");
  EXPECT_EQ(help.Text1.text, "\r\n非特異, 全\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
  testing::click(help.Label1[1]);
  EXPECT_EQ(help.Text2.text, "データ保存  (コマンドボタン)");
  testing::click(help.Command2);
  EXPECT_EQ(platform.titles_painted, (std::vector<std::string>{"リードミーを準備中です。"}));
  EXPECT_EQ(help.Text1.text, "一行目\r\n二行目\r\n\r\n三行目, 続き\r\n");
  EXPECT_EQ(help.Text2.text + help.Text3.text, "Readme") << "the readme belongs to no section";
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(Help_Screen, ScrollBarReachesTheLastKeywordWhateverTheirNumber) {
  for (int n : {0, 1, 9, 10, 11, 30, 74, 100}) {
    SCOPED_TRACE(n);
    write_help(numbered_records(n));
    Reg_Help& help = reopen();
    for (int i = 1; i <= help::Max_Topics; ++i) EXPECT_EQ(help.Label1[i].visible, i <= n) << i;
    const auto top = [&] { return help.Picture2.top + help.Label1[n].top; };  // in the window Picture1
    const bool fits_unscrolled = top() + Reg_Help::Keyword_Height <= help.Picture1.height;
    help.VScroll1.set_value(help.VScroll1.max);
    EXPECT_LE(top() + Reg_Help::Keyword_Height, help.Picture1.height) << "the last keyword is shown in full";
    EXPECT_GE(top(), 0);
    if (!fits_unscrolled)
      EXPECT_LT(help.Picture1.height - top() - Reg_Help::Keyword_Height, Reg_Help::Keyword_Pitch)
          << "no empty rows below";
    EXPECT_EQ(help.VScroll1.max == 0, fits_unscrolled);
    EXPECT_EQ(help.Label1[24].fore_colour, ui::Blue) << "a heading";
  }
}

TEST_F(Help_Screen, FilesThatCannotBeShownAreReported) {
  const std::string path = folder.file("help.csv");
  struct Case {
    std::string bytes;
    int shown;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {cp932_lines(numbered_records(103)),
       100,
       {"help.csv の項目が100件を超えています。101件目からの3件は表示されません。"}},
      {cp932_lines({"1,0,a,x", "2,3,b"}), 1, {"help.csv の2行目の項目は4つの欄がそろっていないため表示されません。"}},
      {cp932_lines({"1,0,a,x", "", ""}), 1, {}},
      {std::string("1,0,a,x\r\n\0\0\0\x01\x02", 14), 0, {"help.csv はテキストファイルではありません: " + path}},
      {"1,0,a,x\r\n1,0,\x80,x\r\n", 0, {"help.csv の文字コードがシフトJISではありません（2行目）: " + path}},
      {"1,0,\xE6\xA4\x9C,x\r\n", 0, {"help.csv の文字コードがシフトJISではありません（UTF-8のようです）: " + path}},
      {"\xEF\xBB\xBF"
       "1,0,a,x\r\n",
       0,
       {"help.csv の文字コードがシフトJISではありません（UTF-8のようです）: " + path}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    testing::write_bytes(path, c.bytes);
    const Reg_Help& help = reopen();
    EXPECT_EQ(platform.messages, c.messages);
    EXPECT_EQ(help.topic_count(), c.shown);
    EXPECT_TRUE(help.Label1[c.shown].visible == (c.shown > 0));
  }
}

TEST_F(Help_Screen, MissingFilesNameEveryFolderSearchedAndTheFirstHoldingOneWins) {
  std::filesystem::create_directory("help.csv");  // a folder is not taken for the file
  Reg_Help& help = reopen();
  EXPECT_EQ(help.topic_count(), 0);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_TRUE(
      platform.messages[0].starts_with("help.csv が見つかりません（探した場所: " + folder.path().string() + "、"))
      << platform.messages[0];
  testing::click(help.Command2);
  EXPECT_TRUE(platform.messages.back().starts_with("readme.csv が見つかりません")) << platform.messages.back();
  EXPECT_EQ(help.Text1.text, "");

  const std::string first = folder.file("working"), second = folder.file("program");
  std::filesystem::create_directory(first);
  std::filesystem::create_directory(second);
  EXPECT_EQ(help::read_help_topics({first, second}).message,
            "help.csv が見つかりません（探した場所: " + first + "、" + second + "）");
  testing::write_bytes(second + "/help.csv", cp932_lines({"1,0,プログラムの横,x"}));
  testing::write_bytes(second + "/readme.csv", cp932_lines({"プログラムの横"}));
  EXPECT_EQ(help::read_help_topics({first, second}).topics.at(0).Help_Title, "プログラムの横");
  testing::write_bytes(first + "/help.csv", cp932_lines({"1,0,作業フォルダ,x"}));
  testing::write_bytes(first + "/readme.csv", cp932_lines({"作業フォルダ"}));
  EXPECT_EQ(help::read_help_topics({first, second}).topics.at(0).Help_Title, "作業フォルダ");
  EXPECT_EQ(help::read_readme_lines({first, second}).lines.at(0), "作業フォルダ");
  // Installed, the program lies in <prefix>/bin and its help files in <prefix>/share/quorin.
  EXPECT_EQ(help::help_folders().back(),
            (std::filesystem::path(help::program_folder()) / "../share/quorin").lexically_normal().string());
}

TEST_F(Help_Screen, ReachedThroughTheDispatcherAndReadAfreshAfterClosing) {
  program.state.Screen_No = 1;
  for (const char* title : {"古い項目", "新しい項目"}) {
    write_help({std::string("1,0,") + title + ",x"});
    Command_Exec(program, target::Help);
    ASSERT_NE(program.screen(Screen::Help), nullptr);
    EXPECT_EQ(program.screen_as<Reg_Help>(Screen::Help)->Label1[1].caption, title);
    testing::click(program.screen_as<Reg_Help>(Screen::Help)->Command1);
    EXPECT_EQ(program.screen(Screen::Help), nullptr);
  }
}

}  // namespace
}  // namespace quorin
