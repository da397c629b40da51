// The conditions printout: the lines printed for no standards and for twenty, and the completion
// message.

#include "conditions_fixture.h"
#include "support/pdf_platform.h"

namespace quorin {
namespace {

// The recorded operations of lines printed one under the other from the top of the page, at the
// printer's default 10 points (240 twips a line on the recording printer), then the page's end.
std::vector<std::string> page_of(const std::vector<std::string>& lines) {
  std::vector<std::string> ops;
  for (std::size_t n = 0; n < lines.size(); ++n)
    ops.push_back("text 0," + std::to_string(240 * n) + " \"" + lines[n] + "\" eol");
  ops.push_back("end");
  return ops;
}

class Conditions_Printout : public Conditions_Screen {
 protected:
  void fill_conditions(const std::string& standards) {
    const std::pair<int, std::string> typed[] = {{0, "山田"}, {1, "2000/05/15"}, {3, "ＴＳＨ"}, {4, "μIU/ml"},
                                                 {5, "A-12"}, {6, standards},    {7, "2"},      {8, "1"},
                                                 {9, "3"},    {10, "10"},        {11, "4"},     {12, "1"}};
    for (const auto& [box, text] : typed) enter(box, text);
  }
  void print() {
    platform.recorder.clear();
    testing::click(screen().Command[5]);
  }
  // Two empty lines, then each label with its box and an empty line.
  static std::vector<std::string> heading_lines(const std::string& standards) {
    return {"",
            "",
            "    実験担当者 : 山田",
            "",
            "    実  験  日 :2000/05/15",
            "",
            "    測定物質名 :ＴＳＨ",
            "",
            "    単      位 : μIU/ml",
            "",
            "    アッセイＮｏ     : A-12",
            "",
            "    スタンダード点数 : " + standards,
            "",
            "    スタンダードごとのチューブ数 : 2",
            "",
            "    管理血清の点数 : 1",
            "",
            "    管理血清ごとのチューブ数 : 3",
            "",
            "    サンプルごとのチューブ数 : 4",
            "",
            "    希 釈 係 数 : 1.0000",
            ""};
  }
};

TEST_F(Conditions_Printout, NoStandardsPrintsTheElevenConditionsOnly) {
  fill_conditions("0");
  print();
  EXPECT_EQ(platform.recorder.ops(), page_of(heading_lines("")));
  EXPECT_EQ(platform.messages, std::vector<std::string>{"印刷が終了しました"});
}

TEST_F(Conditions_Printout, TwentyStandardsFollowWithTheirConcentrations) {
  fill_conditions("20");
  enter(13, "0.5");
  enter(14, "abc");  // not a number: refused, the box stays empty
  enter(15, "");     // empty: nothing after the number
  for (int k = 4; k <= 20; ++k) enter(12 + k, std::to_string(k * 1.25));
  print();

  const std::vector<std::string> heading = heading_lines("20");
  const std::vector<std::string>& ops = platform.recorder.ops();
  ASSERT_EQ(ops.size(), heading.size() + 2 * 20 + 1);
  std::vector<std::string> heading_ops = page_of(heading);
  heading_ops.pop_back();
  EXPECT_EQ(std::vector<std::string>(ops.begin(), ops.begin() + heading.size()), heading_ops);
  // Each standard's line and an empty one; the number and the box as shown.
  auto standard_line = [&](int k) { return ops[heading.size() + 2 * (k - 1)]; };
  auto text_at = [&](int k, const std::string& text) {
    return "text 0," + std::to_string(240 * (heading.size() + 2 * (k - 1))) + " \"" + text + "\" eol";
  };
  EXPECT_EQ(standard_line(1), text_at(1, "    STD  1   0.5000"));
  EXPECT_EQ(standard_line(2), text_at(2, "    STD  2 "));
  EXPECT_EQ(standard_line(3), text_at(3, "    STD  3 "));
  EXPECT_EQ(standard_line(8), text_at(8, "    STD  8   10.0000"));
  EXPECT_EQ(standard_line(20), text_at(20, "    STD  20   25.0000"));
  EXPECT_EQ(ops.back(), "end");
  EXPECT_EQ(platform.recorder.documents(), 1);
}

TEST(Conditions_Printout_To_Pdf, MessageNamesThePdfFile) {
  testing::Scratch_Folder folder;
  testing::Pdf_Platform platform;
  Program program(platform);
  program.show(Screen::Conditions);
  testing::click(program.screen_as<Reg_Set>(Screen::Conditions)->Command[5]);
  EXPECT_EQ(platform.pdf.documents(), 1);
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{"印刷が終了しました\nPDFファイル: /home/lab/quorin-print-1.pdf"});
}

}  // namespace
}  // namespace quorin
