// The results screen: the four tables of the hand-worked assay as shown, the scroll range and the
// pages of long tables.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "navigation/navigation.h"
#include "results/reg_result.h"
#include "state/program.h"
#include "support/form_driver.h"
#include "support/hand_worked_assay.h"
#include "support/test_support.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

class Result_Screen : public ::testing::Test {
 protected:
  Result_Screen() : program(platform), screen(program) {
    s.Weight_Name(0) = "重み付け無し";
    s.Weight_Name(3) = "標準点との距離+Logit変換補正";
  }

  // Body row i (0..19) as shown, its ten texts each followed by '|'.
  std::string shown(int i) const {
    std::string row;
    for (int j = 0; j < Reg_Result::Columns; ++j) row += screen.Label1[Reg_Result::Page_Rows * j + i].caption + "|";
    return row;
  }
  // The caption, the headers and the rows up to the first one without texts.
  std::string table(Result_Kind kind) {
    screen.show_table(kind);
    std::string text = "== " + screen.caption + " (printable table " + std::to_string(s.Result_Table) + ")\n";
    for (int j = 0; j < Reg_Result::Columns; ++j) text += screen.Label[j].caption + "|";
    for (int i = 0; i < Reg_Result::Page_Rows; ++i) {
      text += "\n" + shown(i);
      if (shown(i).find_first_not_of('|', shown(i).find('|')) == std::string::npos) break;
    }
    return text + "\n";
  }
  ui::Scripted_Platform platform;
  Program program;
  Assay_State& s = program.state;
  Reg_Result screen;
};

TEST_F(Result_Screen, TablesOfTheHandWorkedAssay) {
  std::string shown_tables = table(Result_Kind::Standard_Data);  // no standards
  shown_tables += table(Result_Kind::Standard_Conc);
  testing::hand_worked(s);  // with a second standard that was not measured, standard 1 read back
  s.STD_Number = 2;
  s.STD_Data(4, STD_Column::Concentration) = 0.5, s.STD_Data(5, STD_Column::Concentration) = 12.25;
  s.STD_Conc(4, 1) = 0.4567, s.STD_Data(4, STD_Column::Back_Mean) = 0.4567;
  s.Reg_Order = 3;
  shown_tables += table(Result_Kind::Standard_Data);
  shown_tables += table(Result_Kind::Standard_Conc);
  s.Reg_Order = 1;
  s.Weight_Type = 3;
  shown_tables += table(Result_Kind::Sera);
  s.Weight_Type = 0;
  s.Sample_Data(1, Sample_Column::Area_Code) = 0;  // an area of 0 shows as nothing
  s.Sample_Data(3, Sample_Column::Area_Code) = 4;
  s.Sample_Id = {"", "P-0001"};  // sample 1's identifier; sample 3 has none
  shown_tables += table(Result_Kind::Sample);
  testing::expect_golden("hand_worked_tables.txt", shown_tables);
}

// The CV limit of the flags typed on the screen: the flags and their summary line follow it; a
// limit that is no percentage is refused and the one in force stays.
TEST_F(Result_Screen, FlagsFollowTheCvLimitTyped) {
  testing::hand_worked(s);  // sample 1: concentration CV 2.60 %, above the one standard
  screen.show_table(Result_Kind::Sample);
  EXPECT_EQ(screen.Flag_Label.caption, "サンプル 2 件中 2 件にフラグがあります (> 2, 1 1)");
  const std::string with_cv = "サンプル 2 件中 2 件にフラグがあります (> 2, CV 1, 1 1)";
  for (const auto& [typed, shown, flags, summary] :
       {std::tuple{"2", "2", "> CV", with_cv}, std::tuple{"0", "2", "> CV", with_cv},
        std::tuple{"2.6", "2.6", ">", std::string("サンプル 2 件中 2 件にフラグがあります (> 2, 1 1)")}}) {
    testing::type_over(screen.CV_Box, typed);
    testing::press(screen.CV_Box, ui::Key_Return);
    EXPECT_EQ(screen.CV_Box.text, shown) << typed;
    EXPECT_EQ(screen.Label1[Reg_Result::Page_Rows * 3 + 3].caption, flags) << typed;  // sample 1's summary row
    EXPECT_EQ(screen.Flag_Label.caption, summary) << typed;
  }
  EXPECT_EQ(platform.messages, std::vector<std::string>{"CV の上限は 0 より大きく 100 以下の数値で入力してください"});
}

// Standards or samples, their planned and measured tubes: the scroll range and the last page.
TEST_F(Result_Screen, ScrollRangeAndPagesOfLongTables) {
  struct Case {
    int standards;
    Long samples;
    int tubes, measured, maximum;
    const char* last_rows;  // the first two columns of the first and the last row of the last page
  };
  const Case cases[] = {
      {5, 0, 2, 2, 1, "21||40||"},  // 24 rows
      {0, 100, 2, 2, 14, "281| 188|300|Sample 100|"},
      {0, 100, 10, 1, 52, "1041||1060||"},       // planned tubes beyond the filled rows
      {0, 11, 1, 10, 6, "121|Sample 11|140||"},  // filled rows beyond the planned tubes
      {0, 5000, 10, 10, 2749, "54981| 49983|55000|Sample 5000|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.maximum);
    s.STD_Number = static_cast<Integer>(c.standards);
    s.STD_Tubes = s.Sample_Tubes = static_cast<Integer>(c.tubes);
    for (int k = 1; k <= c.standards + 3; ++k) s.STD_Tube_N(k) = static_cast<Integer>(c.measured);
    s.Sample_Number = c.samples;
    for (Long i = 1; i <= c.samples; ++i) s.Sample_Tube_N(i) = static_cast<Integer>(c.measured);
    screen.show_table(c.standards > 0 ? Result_Kind::Standard_Data : Result_Kind::Sample);
    EXPECT_EQ(screen.VScroll1.max, c.maximum);
    screen.VScroll1.set_value(c.maximum);
    EXPECT_EQ(screen.Result_Page, c.maximum);
    const std::string first = shown(0), last = shown(19);
    EXPECT_EQ(first.substr(0, first.find('|', first.find('|') + 1) + 1) +
                  last.substr(0, last.find('|', last.find('|') + 1) + 1),
              c.last_rows);
  }
}

}  // namespace
}  // namespace quorin
