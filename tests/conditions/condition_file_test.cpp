// The condition file: the exact bytes written and printed, the round trip of all 33 boxes, the
// standards taken from the first lines that hold something, and every malformed file refused with
// the screen and the assay state left exactly as they were.

#include <filesystem>

#include "conditions_fixture.h"
#include "state/navigation.h"
#include "state/screen_procedures.h"
#include "support/assay_digest.h"

namespace quorin {
namespace {

using testing::cp932;
using testing::read_bytes;
using testing::write_bytes;

// Code page 932 bytes of a file with `standards` in line 7 and the concentrations from line 14
// on, two standards at 1 and 10 unless told; `change` replaces lines by their index first.
std::string file_of(const std::string& standards, const std::vector<std::string>& concentrations = {"1", "10"},
                    const std::vector<std::pair<int, std::string>>& change = {}, const std::string& line_end = "\r\n") {
  std::vector<std::string> lines{"佐藤", "2000/06/01", "",  "ＬＨ", "mIU/ml", "7",     standards,
                                 "2",    "1",          "2", "4",    "2",      "1.0000"};
  lines.insert(lines.end(), concentrations.begin(), concentrations.end());
  lines.resize(std::max<std::size_t>(lines.size(), 33));
  for (const auto& [index, text] : change) lines[static_cast<std::size_t>(index)] = text;
  std::string bytes;
  for (const std::string& line : lines) bytes += cp932(line) + line_end;
  return bytes;
}

class Condition_File : public Conditions_Screen {
 protected:
  void load(const std::string& path, const std::string& bytes) {
    write_bytes(path, bytes);
    platform.file_answers.push_back(path);
    testing::click(screen().Command[0]);
  }
  void save(const std::string& path) {
    platform.file_answers.push_back(path);
    testing::click(screen().Command[13]);
  }
  // Everything a condition file can change, to compare before and after a refused load.
  std::string snapshot() {
    std::string shot = testing::assay_digest(state) + screen().caption;
    for (const auto& [i, box] : screen().info) shot += box->text + (box->visible ? "|" : "/");
    return shot;
  }
};

// Typed texts are cleaned, the saved file holds the boxes as shown in code page 932 with CR LF, the
// printout prints them, and the file loads back into another program as the same 33 boxes.
TEST_F(Condition_File, SavedPrintedAndLoadedBackAsShown) {
  const std::pair<int, std::string> typed[] = {{0, "  田中, \"次郎\"  "},
                                               {1, "平成12年5月15日"},
                                               {3, "　ｺﾙﾁｿﾞｰﾙ～　"},
                                               {4, "μIU/ml"},
                                               {5, "No.\"7\",B"},
                                               {6, "20"},
                                               {7, "3"},
                                               {8, "2"},
                                               {9, "3"},
                                               {10, "100000"},
                                               {11, "10"},
                                               {12, "0.25"}};
  for (const auto& [box, text] : typed) enter(box, text);
  for (int k = 1; k <= 20; ++k) enter(12 + k, std::to_string(k * 0.75));
  save(folder.file("round.crx"));
  testing::expect_golden("round.crx", read_bytes(folder.file("round.crx")));
  platform.recorder.clear();
  testing::click(screen().Command[5]);
  std::string printed;
  for (const std::string& op : platform.recorder.ops()) printed += op + "\n";
  testing::expect_golden("printout.txt", printed);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"印刷が終了しました"});

  ui::Scripted_Platform other_platform;
  Program other(other_platform);
  other.show(Screen::Conditions);
  other_platform.file_answers.push_back(folder.file("round.crx"));
  testing::click(other.screen_as<Reg_Set>(Screen::Conditions)->Command[0]);
  const Reg_Set& loaded = *other.screen_as<Reg_Set>(Screen::Conditions);
  for (int i = 0; i <= 32; ++i) EXPECT_EQ(loaded.info[i].text, info(i).text) << "box " << i;
  const Assay_State& s = other.state;
  EXPECT_EQ(s.Operator_Name + s.Substance_Name + s.Assay_No, "田中, \"次郎\"ｺﾙﾁｿﾞｰﾙ～No.\"7\",B");
  EXPECT_EQ(s.Sample_Number * s.Dilution_Factor * s.STD_Data(23, 0), 100000 * 0.25 * 15);
  EXPECT_TRUE(other_platform.messages.empty());
}

TEST_F(Condition_File, LoadedFileBecomesTheCaptionAndTheStandardsTheFirstLinesHoldingSomething) {
  state.Active_Screen = Screen::None;
  load(folder.file("gaps.crx"), file_of("3", {"", "   ", "　", "1.5", "3", "6.25", "99"}, {}, "\n"));  // LF alone too
  EXPECT_EQ(screen().caption, folder.file("gaps.crx"));
  EXPECT_EQ(state.Condition_File, folder.file("gaps.crx"));
  EXPECT_EQ(shown_standards(), 3);
  EXPECT_EQ(info(13).text + info(14).text + info(15).text + "|" + info(16).text, "1.50003.00006.2500|");
  EXPECT_EQ(state.STD_Data(6, 0), 6.25);
  EXPECT_EQ(state.STD_Data(7, 0), 0) << "standards beyond the number are not read";
  EXPECT_EQ(state.Total_Tubes, 6 * 2 + 1 * 2 + 4 * 2);
  EXPECT_EQ(screen().focused(), &screen().Command[2]) << "on to data entry";
  EXPECT_TRUE(platform.messages.empty());

  // Fewer standards keep the earlier texts of the hidden ones, committed with them.
  load(folder.file("eight.crx"), file_of("8", {"1", "2", "3", "4", "5", "6", "7", "8"}));
  load(folder.file("five.crx"), file_of("5", {"10", "20", "30", "40", "50", "777", "777", "777"}));
  EXPECT_EQ(shown_standards(), 5);
  EXPECT_EQ(info(17).text + info(18).text + info(20).text, "50.00006.00008.0000");
  EXPECT_EQ(state.STD_Data(9, 0), 6);

  // With no standards there is nothing to enter: the focus stays on a button that can be pressed.
  load(folder.file("none.crx"), file_of("0", {}, {{7, ""}}));
  EXPECT_FALSE(screen().Command[2].enabled);
  EXPECT_EQ(screen().focused(), &screen().Command[0]);
}

TEST_F(Condition_File, MalformedFilesAreRefusedWithNothingChanged) {
  std::string bad_code = file_of("2");
  bad_code.replace(bad_code.find("mIU"), 1, "\x81\x20");  // a lead byte without its trail byte
  std::string short_file = file_of("2");
  short_file.resize(short_file.find("\r\n7\r\n") + 2);
  const std::pair<std::string, std::string> cases[] = {
      {"", "ファイルが空です"},
      {std::string("\x00\x01\x02\x03", 4) + "conditions", "テキストファイルではありません"},
      {bad_code, "5行目にシフトJISとして読めない文字があります"},
      {short_file, "ファイルが5行で終わっています（13行必要です）"},
      {file_of("abc"), "7行目のスタンダードの点数が数値ではありません: abc"},
      {file_of("20.4"), "7行目のスタンダードの点数は０から２０までです: 20.4"},
      {file_of("-1"), "7行目のスタンダードの点数は０から２０までです: -1"},
      {file_of("5", {"1", "", "2"}), "ファイルには濃度が 2 個しかありません（スタンダードは 5 点です）"},
      {file_of("2", {"1", "10"}, {{9, "11"}}), "10行目の管理血清ごとのチューブ数は０から１０までです: 11"},
      {file_of("2", {"1", "10"}, {{9, ""}}),
       "10行目の管理血清ごとのチューブ数は１から１０までです（9行目の管理血清の点数が 1 のため）"},
      {file_of("2", {"1", "1,000"}),
       "15行目のスタンダード 2 の濃度が正しくありません（０より大きい数値が必要です）: 1,000"},
      {file_of("2", {"1e309", "10"}),
       "14行目のスタンダード 1 の濃度が正しくありません（０より大きい数値が必要です）: 1e309"},
  };
  load(folder.file("good.crx"), file_of("2"));
  enter(13, "3.5");  // a standard typed since the load
  const std::string before = snapshot();
  for (const auto& [bytes, problem] : cases) {
    SCOPED_TRACE(problem);
    const std::string path = folder.file("bad.crx");
    write_bytes(path, bytes);
    platform.messages.clear();
    platform.file_answers.push_back(path);
    state.Wizard_Mode = 1;
    Condition_Load(program);
    EXPECT_EQ(platform.messages, std::vector<std::string>{"条件ファイルを読み込めません: " + path + "\n" + problem});
    EXPECT_EQ(state.Wizard_Mode, 0) << "a running wizard stops";
    EXPECT_EQ(snapshot(), before);
  }
  for (const std::string& path : {folder.file("nowhere.crx"), folder.path().string()}) {
    platform.messages.clear();
    platform.file_answers.push_back(path);
    testing::click(screen().Command[0]);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_TRUE(platform.messages[0].starts_with("ファイルを開けません: " + path)) << platform.messages[0];
    EXPECT_EQ(snapshot(), before);
  }
}

// An older file may lack the dilution factor: it loads without one (not with the one in force
// before), and the user is told.
TEST_F(Condition_File, WithoutAUsableDilutionFactorTheFileLoadsWithoutOne) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "に希釈係数がありません"}, {"x10", "の希釈係数が正しくありません（０より大きい数値が必要です）: x10"}};
  for (const auto& [factor, problem] : cases) {
    enter(12, "3");
    platform.messages.clear();
    load(folder.file("older.crx"), file_of("2", {"1", "10"}, {{12, factor}}));
    EXPECT_EQ(platform.messages, std::vector<std::string>{"条件ファイルの13行目" + problem +
                                                          "\n希釈係数を入力するまで、サンプル値は計算されません"});
    EXPECT_EQ(state.STD_Number, 2);
    EXPECT_EQ(state.Dilution_Factor, 0);
    EXPECT_EQ(info(12).text, "");
  }
}

TEST_F(Condition_File, RefusedFailedOrCancelledSavesWriteNothing) {
  const std::string path = folder.file("kept.crx");
  write_bytes(path, "earlier file\r\n");
  enter(0, "山田");
  save(folder.file("no folder/a.crx"));
  enter(4, "café");
  save(path);
  testing::click(screen().Command[13]);  // no answer queued: the dialog is cancelled
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_TRUE(platform.messages[0].starts_with("ファイルを保存できません: " + folder.file("no folder/a.crx")));
  EXPECT_EQ(platform.messages[1],
            "条件を保存できません: " + path + "\n「単位」の「é」はシフトJISで保存できない文字です");
  EXPECT_EQ(read_bytes(path), "earlier file\r\n");
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) EXPECT_EQ(entry.path(), path);
}

}  // namespace
}  // namespace quorin
