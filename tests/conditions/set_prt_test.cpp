// The conditions printout: the lines printed for no standards and for twenty, the standards
// counted from the box as shown, and the completion message.

#include "conditions_fixture.h"

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
    const std::pair<int, std::string> typed[] = {
        {0, "山田"}, {1, "2000/05/15"}, {3, "ＴＳＨ"}, {4, "μIU/ml"}, {5, "A-12"}, {6, standards},
        {7, "2"},    {8, "1"},          {9, "3"},    {10, "10"},      {11, "4"},    {12, "1"}};
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
  enter(14, "abc");  // not a number: printed as shown
  enter(15, "");     // empty: nothing after the number
  for (int k = 4; k <= 20; ++k) enter(12 + k, std::to_string(k * 1.25));
  print();

  std::vector<std::string> lines = heading_lines("20");
  const char* standards[] = {
      "    STD  1   0.5000",   "    STD  2 abc",        "    STD  3 ",           "    STD  4   5.0000",
      "    STD  5   6.2500",   "    STD  6   7.5000",   "    STD  7   8.7500",   "    STD  8   10.0000",
      "    STD  9   11.2500",  "    STD  10   12.5000", "    STD  11   13.7500", "    STD  12   15.0000",
      "    STD  13   16.2500", "    STD  14   17.5000", "    STD  15   18.7500", "    STD  16   20.0000",
      "    STD  17   21.2500", "    STD  18   22.5000", "    STD  19   23.7500", "    STD  20   25.0000"};
  for (const char* line : standards) {
    lines.push_back(line);
    lines.push_back("");
  }
  EXPECT_EQ(platform.recorder.ops(), page_of(lines));
  EXPECT_EQ(platform.recorder.documents(), 1);
}

TEST_F(Conditions_Printout, StandardsAreCountedFromTheBoxAsShown) {
  struct Case { std::string pasted; std::size_t standard_lines; };
  const Case cases[] = {
      {"2.5", 2},  // halves to even, as a commit would
      {"25", 20},  // never more than the boxes there are
      {"-3", 0},
      {"abc", 0},
  };
  fill_conditions("8");
  for (int k = 1; k <= 8; ++k) enter(12 + k, std::to_string(k));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pasted);
    testing::paste_with_mouse(info(6), c.pasted);  // shown but not committed
    print();
    EXPECT_EQ(platform.recorder.ops().size(), heading_lines(c.pasted).size() + 2 * c.standard_lines + 1);
  }
  EXPECT_EQ(state.STD_Number, 8);
}

// A platform without a printer: the printout goes to a PDF file, and the message says where.
class Pdf_Recorder : public ui::Recording_Printer {
 public:
  std::string destination() const override { return "/home/lab/quorin-print-1.pdf"; }
};
class Pdf_Platform : public ui::Scripted_Platform {
 public:
  ui::Printer& printer() override { return pdf; }
  Pdf_Recorder pdf;
};

TEST(Conditions_Printout_To_Pdf, MessageNamesThePdfFile) {
  testing::Scratch_Folder folder;
  Pdf_Platform platform;
  Program program(platform);
  program.show(Screen::Conditions);
  testing::click(program.screen_as<Reg_Set>(Screen::Conditions)->Command[5]);
  EXPECT_EQ(platform.pdf.documents(), 1);
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{"印刷が終了しました\nPDFファイル: /home/lab/quorin-print-1.pdf"});
}

}  // namespace
}  // namespace quorin
