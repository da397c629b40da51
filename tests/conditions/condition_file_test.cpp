// The condition file: the exact bytes written, the round trip of all 33 boxes, the standards
// taken from the first lines that hold something, and every malformed file refused with the
// screen and the assay state left exactly as they were.

#include <filesystem>

#include "conditions_fixture.h"
#include "state/navigation.h"
#include "state/screen_procedures.h"

namespace quorin {
namespace {

using testing::cp932;
using testing::read_bytes;
using testing::write_bytes;

// Code page 932 bytes of the lines, each ended by CR LF (or by LF alone).
std::string file_of(const std::vector<std::string>& lines, const std::string& line_end = "\r\n") {
  std::string bytes;
  for (const std::string& line : lines) bytes += cp932(line) + line_end;
  return bytes;
}

// The 33 lines of a file with `standards` in line 7 and the given concentrations from line 14 on.
std::vector<std::string> lines_with(const std::string& standards, const std::vector<std::string>& concentrations) {
  std::vector<std::string> lines{"佐藤", "2000/06/01", "",  "ＬＨ", "mIU/ml", "7",     standards,
                                 "2",    "1",          "2", "4",    "2",      "1.0000"};
  lines.insert(lines.end(), concentrations.begin(), concentrations.end());
  lines.resize(33);
  return lines;
}

class Condition_File : public Conditions_Screen {
 protected:
  void load(const std::string& path) {
    platform.file_answers.push_back(path);
    testing::click(screen().Command[0]);
  }
  void save(const std::string& path) {
    platform.file_answers.push_back(path);
    testing::click(screen().Command[13]);
  }
};

// Everything a condition file can change, to compare before and after a refused load.
struct Snapshot {
  std::vector<std::string> boxes;
  std::vector<bool> shown;
  std::string caption, condition_file;
  std::vector<std::string> texts;
  std::vector<double> numbers;
  friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

Snapshot snapshot_of(const Reg_Set& screen, const Assay_State& s) {
  Snapshot shot{{},
                {},
                screen.caption,
                s.Condition_File,
                {s.Operator_Name, s.Assay_Date, s.Substance_Name, s.Unit_Name, s.Assay_No},
                {double(s.STD_Number), double(s.STD_Tubes), double(s.Sera_Number), double(s.Sera_Tubes),
                 double(s.Sample_Number), double(s.Sample_Tubes), s.Dilution_Factor}};
  for (const auto& [i, box] : screen.info) {
    shot.boxes.push_back(box->text);
    shot.shown.push_back(box->visible);
  }
  for (int k = 1; k <= 20; ++k) shot.numbers.push_back(s.STD_Data(3 + k, 0));
  return shot;
}

TEST_F(Condition_File, SavedFileHoldsTheBoxesAsShownInCodePage932WithCrLf) {
  const std::pair<int, std::string> typed[] = {
      {0, "山田"}, {1, "2000/05/15"}, {3, "ＴＳＨ"}, {4, "μIU/ml"}, {5, "A-12"}, {6, "3"},  {7, "2"},   {8, "1"},
      {9, "2"},    {10, "10"},        {11, "2.5"},   {12, "1"},     {13, "0.5"}, {14, "1"}, {15, "2.5"}};
  for (const auto& [box, text] : typed) enter(box, text);
  save(folder.file("assay.crx"));

  std::string expected = std::string("\x8E\x52\x93\x63\r\n") +  // 山田
                         "2000/05/15\r\n"
                         "\r\n" +
                         cp932("ＴＳＨ") + "\r\n" + cp932("μIU/ml") + "\r\n" +
                         "A-12\r\n3\r\n2\r\n1\r\n2\r\n10\r\n2\r\n"
                         "1.0000\r\n.5000\r\n1.0000\r\n2.5000\r\n";
  for (int line = 17; line <= 33; ++line) expected += "\r\n";  // the empty standards 4..20
  EXPECT_EQ(read_bytes(folder.file("assay.crx")), expected);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(Condition_File, SaveAndLoadGiveBackTheSame33Boxes) {
  const std::pair<int, std::string> typed[] = {{0, "田中, \"次郎\""},
                                               {1, "平成12年5月15日"},
                                               {3, "ｺﾙﾁｿﾞｰﾙ～"},
                                               {4, "ng/dl"},
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
  const std::vector<std::string> saved = box_texts();
  save(folder.file("round.crx"));

  ui::Scripted_Platform other_platform;
  Program other(other_platform);
  other.show(Screen::Conditions);
  other_platform.file_answers.push_back(folder.file("round.crx"));
  testing::click(other.screen_as<Reg_Set>(Screen::Conditions)->Command[0]);

  const Reg_Set& loaded = *other.screen_as<Reg_Set>(Screen::Conditions);
  for (int i = 0; i <= 32; ++i) EXPECT_EQ(loaded.info[i].text, saved[i]) << "box " << i;
  const Assay_State& s = other.state;
  EXPECT_EQ(s.Operator_Name, "田中, \"次郎\"");
  EXPECT_EQ(s.Substance_Name, "ｺﾙﾁｿﾞｰﾙ～");
  EXPECT_EQ(s.Assay_No, "No.\"7\",B");
  EXPECT_EQ(s.STD_Number, 20);
  EXPECT_EQ(s.Sample_Number, 100000);
  EXPECT_EQ(s.Dilution_Factor, 0.25);
  for (int k = 1; k <= 20; ++k) EXPECT_EQ(s.STD_Data(3 + k, 0), k * 0.75) << "standard " << k;
  EXPECT_TRUE(other_platform.messages.empty());
}

TEST_F(Condition_File, LoadedFileBecomesTheCaptionAndSendsTheFocusToDataEntry) {
  write_bytes(folder.file("a.crx"), file_of(lines_with("2", {"1", "10"})));
  state.Active_Screen = Screen::None;
  load(folder.file("a.crx"));
  EXPECT_EQ(screen().caption, folder.file("a.crx"));
  EXPECT_EQ(state.Condition_File, folder.file("a.crx"));
  EXPECT_EQ(state.Active_Screen, Screen::Conditions);
  EXPECT_TRUE(screen().Command[2].enabled);
  EXPECT_EQ(screen().focused(), &screen().Command[2]);
  EXPECT_EQ(state.Total_Tubes, 5 * 2 + 1 * 2 + 4 * 2);

  // With no standards there is nothing to enter: the focus stays on a button that can be pressed.
  std::vector<std::string> no_tubes = lines_with("0", {});
  no_tubes[7] = "";
  write_bytes(folder.file("b.crx"), file_of(no_tubes));
  load(folder.file("b.crx"));
  EXPECT_FALSE(screen().Command[2].enabled);
  EXPECT_EQ(screen().focused(), &screen().Command[0]);
}

TEST_F(Condition_File, StandardsAreTheFirstLinesHoldingSomethingFromLine14) {
  std::vector<std::string> lines = lines_with("3", {"", "   ", "　", "1.5", "3", "6.25", "99"});
  write_bytes(folder.file("gaps.crx"), file_of(lines, "\n"));  // LF alone is read too
  load(folder.file("gaps.crx"));
  EXPECT_EQ(shown_standards(), one_to(3));
  EXPECT_EQ(info(13).text, "1.5000");
  EXPECT_EQ(info(14).text, "3.0000");
  EXPECT_EQ(info(15).text, "6.2500");
  EXPECT_EQ(info(16).text, "") << "standards beyond the number are not read";
  EXPECT_EQ(state.STD_Data(4, 0), 1.5);
  EXPECT_EQ(state.STD_Data(5, 0), 3);
  EXPECT_EQ(state.STD_Data(6, 0), 6.25);
  EXPECT_EQ(state.STD_Data(7, 0), 0);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(Condition_File, FewerStandardsKeepTheEarlierHiddenTexts) {
  write_bytes(folder.file("eight.crx"), file_of(lines_with("8", {"1", "2", "3", "4", "5", "6", "7", "8"})));
  write_bytes(folder.file("five.crx"), file_of(lines_with("5", {"10", "20", "30", "40", "50", "777", "777", "777"})));
  load(folder.file("eight.crx"));
  load(folder.file("five.crx"));
  EXPECT_EQ(shown_standards(), one_to(5));
  EXPECT_EQ(info(17).text, "50.0000");
  EXPECT_EQ(info(18).text, "6.0000");
  EXPECT_EQ(info(20).text, "8.0000");
  EXPECT_EQ(state.STD_Data(8, 0), 50);
  EXPECT_EQ(state.STD_Data(9, 0), 6);
  EXPECT_EQ(state.STD_Data(11, 0), 8);
}

TEST_F(Condition_File, MalformedFilesAreRefusedWithNothingChanged) {
  std::vector<std::string> short_file = lines_with("2", {"1", "10"});
  short_file.resize(10);
  std::vector<std::string> bad_code = lines_with("2", {"1", "10"});
  std::string bad_code_bytes = file_of(bad_code);
  bad_code_bytes.replace(bad_code_bytes.find("mIU"), 1, "\x81\x20");  // a lead byte without its trail byte
  std::vector<std::string> missing_standards = lines_with("5", {"1", "", "2"});
  missing_standards.resize(20);

  // The file of two standards at 1 and 10 with line `index` + 1 replaced.
  auto with_line = [](std::size_t index, const std::string& text,
                      std::vector<std::string> concentrations = {"1", "10"}) {
    std::vector<std::string> lines = lines_with("2", concentrations);
    lines[index] = text;
    return file_of(lines);
  };
  struct Case {
    std::string name, bytes, problem;
  };
  const Case cases[] = {
      {"empty", "", "ファイルが空です"},
      {"binary", std::string("\x00\x01\x02\x03", 4) + "conditions", "テキストファイルではありません"},
      {"bad code", bad_code_bytes, "5行目にシフトJISとして読めない文字があります"},
      {"short", file_of(short_file), "ファイルが10行で終わっています（13行必要です）"},
      {"letters", file_of(lines_with("abc", {})), "7行目のスタンダードの点数が数値ではありません: abc"},
      {"too many", file_of(lines_with("21", {})), "7行目のスタンダードの点数は０から２０までです: 21"},
      {"just too many", file_of(lines_with("20.4", {})), "7行目のスタンダードの点数は０から２０までです: 20.4"},
      {"negative", file_of(lines_with("-1", {})), "7行目のスタンダードの点数は０から２０までです: -1"},
      {"missing standards", file_of(missing_standards),
       "ファイルには濃度が 2 個しかありません（スタンダードは 5 点です）"},
      {"21 sera", with_line(8, "21"), "9行目の管理血清の点数は０から２０までです: 21"},
      {"11 serum tubes", with_line(9, "11"), "10行目の管理血清ごとのチューブ数は０から１０までです: 11"},
      {"sera without tubes", with_line(9, ""),
       "10行目の管理血清ごとのチューブ数は１から１０までです（9行目の管理血清の点数が 1 のため）"},
      {"sera not a number", with_line(8, "3x"), "9行目の管理血清の点数が数値ではありません: 3x"},
      {"thousands separator", with_line(0, "山田", {"1", "1,000"}),
       "15行目のスタンダード 2 の濃度が正しくありません（０より大きい数値が必要です）: 1,000"},
      {"infinite concentration", with_line(0, "山田", {"1e309", "10"}),
       "14行目のスタンダード 1 の濃度が正しくありません（０より大きい数値が必要です）: 1e309"},
  };

  write_bytes(folder.file("good.crx"), file_of(lines_with("2", {"1", "10"})));
  load(folder.file("good.crx"));
  enter(13, "3.5");  // a standard typed since the load
  const Snapshot before = snapshot_of(screen(), state);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder.file(c.name + ".crx");
    write_bytes(path, c.bytes);
    platform.messages.clear();
    platform.file_answers.push_back(path);
    state.Wizard_Mode = 1;
    Condition_Load(program);
    EXPECT_EQ(platform.messages, std::vector<std::string>{"条件ファイルを読み込めません: " + path + "\n" + c.problem});
    EXPECT_EQ(state.Wizard_Mode, 0) << "a running wizard stops";
    EXPECT_TRUE(snapshot_of(screen(), state) == before);
  }

  for (const std::string& path : {folder.file("nowhere.crx"), folder.path().string()}) {
    SCOPED_TRACE(path);
    platform.messages.clear();
    load(path);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_TRUE(platform.messages[0].starts_with("ファイルを開けません: " + path)) << platform.messages[0];
    EXPECT_TRUE(snapshot_of(screen(), state) == before);
  }
}

// An older file may lack the dilution factor: it loads without one (not with the one in force
// before), and the user is told.
TEST_F(Condition_File, WithoutAUsableDilutionFactorTheFileLoadsWithoutOne) {
  for (const std::string factor : {"", "x10"}) {
    enter(12, "3");
    std::vector<std::string> lines = lines_with("2", {"1", "10"});
    lines[12] = factor;
    write_bytes(folder.file("older.crx"), file_of(lines));
    platform.messages.clear();
    load(folder.file("older.crx"));
    const std::string problem =
        factor.empty() ? "に希釈係数がありません" : "の希釈係数が正しくありません（０より大きい数値が必要です）: x10";
    EXPECT_EQ(platform.messages, std::vector<std::string>{"条件ファイルの13行目" + problem +
                                                          "\n希釈係数を入力するまで、サンプル値は計算されません"});
    EXPECT_EQ(state.STD_Number, 2);
    EXPECT_EQ(state.Dilution_Factor, 0);
    EXPECT_EQ(info(12).text, "");
  }
}

TEST_F(Condition_File, WizardStopsAtARefusedFile) {
  write_bytes(folder.file("bad.crx"), file_of(lines_with("25", {})));
  platform.file_answers.push_back(folder.file("bad.crx"));
  testing::click(screen().Command[14]);
  EXPECT_EQ(platform.messages, (std::vector<std::string>{"保存された条件設定を読み込みます",
                                                         "条件ファイルを読み込めません: " + folder.file("bad.crx") +
                                                             "\n7行目のスタンダードの点数は０から２０までです: 25",
                                                         "ウィザードは中断されました"}));
  EXPECT_EQ(state.Wizard_Mode, 0);
  EXPECT_EQ(program.screen(Screen::Data), nullptr);
}

TEST_F(Condition_File, SaveRefusesACharacterCodePage932CannotHold) {
  const std::string path = folder.file("kept.crx");
  write_bytes(path, "earlier file\r\n");
  enter(0, "山田");
  enter(4, "café");
  save(path);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"条件を保存できません: " + path +
                                                        "\n「単位」の「é」はシフトJISで保存できない文字です"});
  EXPECT_EQ(read_bytes(path), "earlier file\r\n");
}

TEST_F(Condition_File, FailedOrCancelledSaveWritesNothing) {
  enter(0, "山田");
  save(folder.file("no folder/a.crx"));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_TRUE(platform.messages[0].starts_with("ファイルを保存できません: " + folder.file("no folder/a.crx")));

  platform.messages.clear();
  testing::click(screen().Command[13]);  // no answer queued: the dialog is cancelled
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

}  // namespace
}  // namespace quorin
