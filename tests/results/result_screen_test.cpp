// The results screen: the rows, texts and pages of the four tables, the scroll range, and the
// print button's state.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "results/reg_result.h"
#include "results_fixture.h"
#include "state/navigation.h"
#include "state/program.h"
#include "state/screen_procedures.h"
#include "support/form_driver.h"
#include "support/test_support.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

using Row = std::vector<std::string>;

class Result_Screen : public ::testing::Test {
 protected:
  Result_Screen() : program(platform), screen(program) {
    s.Weight_Name(0) = "重み付け無し";
    s.Weight_Name(3) = "標準点との距離+Logit変換補正";
  }

  // The ten texts of body row i (0..19) as shown.
  Row shown(int i) const {
    Row texts;
    for (int j = 0; j < Reg_Result::Columns; ++j) texts.push_back(screen.Label1[Reg_Result::Page_Rows * j + i].caption);
    return texts;
  }
  Row headers() const {
    Row texts;
    for (int j = 0; j < Reg_Result::Columns; ++j) texts.push_back(screen.Label[j].caption);
    return texts;
  }
  void go_to_page(int page) { screen.VScroll1.set_value(page); }

  // Samples 1..count of `tubes` tubes, `measured` of them measured.
  void measured_samples(Long count, int tubes, int measured) {
    s.Sample_Number = count;
    s.Sample_Tubes = static_cast<Integer>(tubes);
    for (Long i = 1; i <= count; ++i) s.Sample_Tube_N(i) = static_cast<Integer>(measured);
  }
  void measured_samples(Long count, int tubes) { measured_samples(count, tubes, tubes); }

  ui::Scripted_Platform platform;
  Program program;
  Assay_State& s = program.state;
  Reg_Result screen;
};

// The hand-worked assay with a second standard that was not measured, its standard 1 read back.
void two_standards(Assay_State& s) {
  testing::hand_worked(s);
  s.STD_Number = 2;
  s.STD_Data(4, 0) = 0.5, s.STD_Data(5, 0) = 12.25;
  s.STD_Conc(4, 1) = 0.4567, s.STD_Data(4, 4) = 0.4567;
  s.Reg_Order = 3;
}

TEST_F(Result_Screen, StandardDataListsEveryRowWithItsSummary) {
  two_standards(s);
  screen.show_table(Result_Kind::Standard_Data);
  EXPECT_EQ(screen.caption, "スタンダードデータ");
  EXPECT_EQ(headers(), (Row{"", "No.", "Remark", "Counts", "Mean", "Count CV", "B/B0(%)", "", "", ""}));
  EXPECT_EQ(shown(0), (Row{"1", " 1", "NSB", "152", "", "", "", "", "", ""}));
  EXPECT_EQ(shown(2), (Row{"3", "", "", "", "150", "1.88", "", "", "", ""})) << "NSB has no B/B0";
  EXPECT_EQ(shown(8), (Row{"9", "", "", "", "9001", "0.70", "100.00", "", "", ""}));
  EXPECT_EQ(shown(9), (Row{"10", " 7", "ST 1", "4000", "", "", "", "", "", ""}));
  EXPECT_EQ(shown(10), (Row{"11", "", "", "", "4000", "0.00", "44.46", "", "", ""}));
  EXPECT_EQ(shown(11), (Row{"12", "", "", "", "0", "0.00", "0.00", "", "", ""})) << "standard 2: no tubes";
  EXPECT_EQ(shown(12), (Row{"13", "", "", "", "", "", "", "", "", ""}));
  EXPECT_EQ(s.Result_Table, 0) << "the standard data table is not a printable table";
}

TEST_F(Result_Screen, StandardConcentrationsNumberTubesWithoutTheBlank) {
  two_standards(s);
  screen.show_table(Result_Kind::Standard_Conc);
  EXPECT_EQ(screen.caption, "標準液濃度( 3次重み付け無し)");
  // The running number starts again with the table: only the standards' tubes count.
  EXPECT_EQ(shown(0), (Row{"1", "1", "0.50", "4000", "", "", "0.46", "", "", ""}));
  EXPECT_EQ(shown(1), (Row{"2", "STD 1", "", "", "4000", "0.00", "", "0.46", "0.00", ""}));
  EXPECT_EQ(shown(2), (Row{"3", "STD 2", "", "", "", "0.00", "", "0.00", "0.00", ""}));
  EXPECT_EQ(shown(3), (Row{"4", "", "", "", "", "", "", "", "", ""}));
  EXPECT_EQ(s.Result_Table, 1);
}

TEST_F(Result_Screen, WithoutStandardsOnlyTheNsbTotalAndZeroStandardSummariesAreListed) {
  s.STD_Tubes = 3;
  screen.show_table(Result_Kind::Standard_Data);
  EXPECT_EQ(shown(1), (Row{"2", "", "", "", "0", "0.00", "", "", "", ""}));
  EXPECT_EQ(shown(2), (Row{"3", "", "", "", "0", "0.00", "", "", "", ""})) << "no B/B0 without B0 above the NSB";
  EXPECT_EQ(shown(3), (Row{"4", "", "", "", "", "", "", "", "", ""}));

  screen.show_table(Result_Kind::Standard_Conc);
  for (int i = 0; i < Reg_Result::Page_Rows; ++i)
    EXPECT_EQ(shown(i), (Row{std::to_string(i + 1), "", "", "", "", "", "", "", "", ""}));
}

TEST_F(Result_Screen, SeraWithoutMeasuredTubesAreLeftOut) {
  testing::hand_worked(s);  // serum 1 not measured
  s.Reg_Order = 1;
  s.Weight_Type = 3;
  screen.show_table(Result_Kind::Sera);
  EXPECT_EQ(screen.caption, "管理血清測定値( 1次標準点との距離+Logit変換補正)");
  EXPECT_EQ(headers(),
            (Row{"No.", "Remark", "Counts", "Calc Conc.", "Count CV", "Mean Calc Conc.", "Range", "Conc. CV", "", ""}));
  EXPECT_EQ(shown(0), (Row{"1", " 1", "5010", "1.235", "", "", "", "", "", ""}));
  EXPECT_EQ(shown(1), (Row{"2", " 2", "4990", "1.250", "", "", "", "", "", ""}));
  EXPECT_EQ(shown(2), (Row{"3", "Sera 2", "", "", "0.28", "1.242", "0.016", "0.88", "", ""}));
  EXPECT_EQ(shown(3), (Row{"4", "", "", "", "", "", "", "", "", ""}));
  EXPECT_EQ(s.Result_Table, 2);
}

TEST_F(Result_Screen, SampleRowsShowTheirStatisticsAndAnEmptyAreaForZero) {
  testing::hand_worked(s);  // sample 1 in three tubes, the third unusable; sample 2 not measured
  s.Reg_Order = 1;
  s.Sample_Data(1, 0) = 0;  // area 0 shows as nothing
  s.Sample_Data(3, 0) = 4;
  screen.show_table(Result_Kind::Sample);
  EXPECT_EQ(screen.caption, "サンプル測定値( 1次重み付け無し)");
  EXPECT_EQ(headers(), (Row{"No.", "Remark", "Counts", "Calc Conc.", "Count CV", "Mean Calc Conc.", "Range",
                            "Smpl Val.", "Conc. CV", "Area"}));
  EXPECT_EQ(shown(0), (Row{"1", " 1", "1234", "12.300", "", "", "", "", "", ""}));
  EXPECT_EQ(shown(2), (Row{"3", " 3", "", "0.000", "", "", "", "", "", ""})) << "an unusable tube inside the span";
  EXPECT_EQ(shown(3), (Row{"4", "Sample 1", "", "", "3.30", "12.100", "0.400", "121.000", "2.60", ""}));
  EXPECT_EQ(shown(4), (Row{"5", " 4", "800", "0.333", "", "", "", "", "", ""}));
  EXPECT_EQ(shown(5), (Row{"6", "Sample 3", "", "", "0.00", "0.333", "0.000", "3.333", "0.00", "4"}));
  EXPECT_EQ(s.Result_Table, 3);
}

TEST_F(Result_Screen, ScrollRangeReachesTheLastFilledRow) {
  struct Case {
    const char* what;
    int standards;
    Long samples;
    int tubes, measured;
    Result_Kind kind;
    int maximum;
  };
  const Case cases[] = {
      {"5 standards of 2 tubes: 24 rows", 5, 0, 2, 2, Result_Kind::Standard_Data, 1},
      {"100 samples of 2 tubes: 300 rows", 0, 100, 2, 2, Result_Kind::Sample, 14},
      {"no sample at all", 0, 0, 0, 0, Result_Kind::Sample, 1},
      {"1000 samples of 1 tube: 2000 rows", 0, 1000, 1, 1, Result_Kind::Sample, 99},
      {"planned tubes beyond the filled rows", 0, 100, 10, 1, Result_Kind::Sample, 52},  // 103·10\20+1 > 199\20
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    s.STD_Number = static_cast<Integer>(c.standards);
    s.STD_Tubes = static_cast<Integer>(c.tubes);
    for (int k = 1; k <= c.standards + 3; ++k) s.STD_Tube_N(k) = static_cast<Integer>(c.measured);
    measured_samples(c.samples, c.tubes, c.measured);
    screen.show_table(c.kind);
    EXPECT_EQ(screen.VScroll1.min, 0);
    EXPECT_EQ(screen.VScroll1.max, c.maximum);
  }
}

TEST_F(Result_Screen, EveryPageNumbersItsTwentyRows) {
  measured_samples(100, 2);
  screen.show_table(Result_Kind::Sample);
  go_to_page(14);
  EXPECT_EQ(screen.Result_Page, 14);
  // Sample i fills rows 3i - 2 .. 3i: row 281 is sample 94's second tube, the 188th tube.
  EXPECT_EQ(shown(0)[0], "281");
  EXPECT_EQ(shown(0)[1], " 188");
  EXPECT_EQ(shown(19)[0], "300");
  EXPECT_EQ(shown(19)[1], "Sample 100");

  screen.show_table(Result_Kind::Standard_Data);  // one page of data, the page stays 1 (the last)
  EXPECT_EQ(screen.Result_Page, 1);
  for (int i = 0; i < Reg_Result::Page_Rows; ++i) {
    EXPECT_EQ(shown(i)[0], std::to_string(21 + i));
    EXPECT_EQ(shown(i)[1], "");
  }
}

TEST_F(Result_Screen, TablesBeyond32767RowsAreShownInFull) {
  measured_samples(5000, 10);  // 55,000 rows
  screen.show_table(Result_Kind::Sample);
  EXPECT_EQ(screen.VScroll1.max, 2749);
  go_to_page(2749);
  // Sample i fills rows 11i - 10 .. 11i; row 54,981 is sample 4,999's third tube.
  EXPECT_EQ(shown(0)[0], "54981");
  EXPECT_EQ(shown(0)[1], " 49983");
  EXPECT_EQ(shown(18)[1], " 50000");
  EXPECT_EQ(shown(19)[0], "55000");
  EXPECT_EQ(shown(19)[1], "Sample 5000");
}

TEST_F(Result_Screen, SwitchingTablesKeepsThePageUnlessTheNewTableIsShorter) {
  measured_samples(100, 2);
  s.Sera_Number = 1;
  s.Sera_Tubes = 2;
  s.Sera_Tube_N(1) = 2;
  screen.show_table(Result_Kind::Sample);
  go_to_page(1);
  screen.show_table(Result_Kind::Sera);  // 3 rows, maximum 1: page 1 stays
  EXPECT_EQ(screen.Result_Page, 1);
  EXPECT_EQ(shown(0)[0], "21");
  EXPECT_EQ(shown(0)[1], "");
  screen.show_table(Result_Kind::Sample);
  go_to_page(10);
  screen.show_table(Result_Kind::Sera);  // brought back to the last page of the sera
  EXPECT_EQ(screen.VScroll1.value(), 1);
  EXPECT_EQ(screen.Result_Page, 1);
}

// Navigation: the results screen as the dispatcher shows it.
class Result_Navigation : public ::testing::Test {
 protected:
  Result_Navigation() : program(platform) {
    s.STD_Number = 1;
    s.STD_Tubes = 1;
    s.STD_Data(4, 0) = 1;
    for (int k = 1; k <= 4; ++k) s.STD_Count(k, 1) = 1000 * k, s.STD_Tube_N(k) = 1;
    s.Plot_Stage = 2;
  }
  Reg_Result& results() {
    program.show(Screen::Result);
    return *program.screen_as<Reg_Result>(Screen::Result);
  }
  testing::Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program;
  Assay_State& s = program.state;
};

TEST_F(Result_Navigation, PrintingWaitsForAPrintableTable) {
  Reg_Result& screen = results();
  EXPECT_EQ(s.Active_Screen, Screen::Result);
  EXPECT_FALSE(screen.Command[5].enabled) << "not after the screen is activated";
  Standard_Disp(program);
  EXPECT_FALSE(screen.Command[5].enabled) << "not after the standard data table";
  testing::click(screen.Command[10]);
  EXPECT_FALSE(screen.Command[5].enabled) << "not when the chosen fit cannot be used and no table is shown";

  // A straight line, logit = 2 - ln(concentration), as the chosen fit.
  s.Reg_Coef(0, 5) = -1;
  s.Reg_Coef(0, 6) = 2;
  s.Fit_Available(0) = true;
  s.Reg_Order = 1;
  s.Curve_Basis = basis_digest(s, Basis::Curve);
  for (int table : {9, 10, 11}) {
    screen.activate();  // brought to the front again: disabled again
    ASSERT_FALSE(screen.Command[5].enabled);
    testing::click(screen.Command[table]);
    EXPECT_EQ(s.Screen_No, 4);
    EXPECT_TRUE(screen.Command[5].enabled) << "after button " << table;
    EXPECT_EQ(s.Result_Table, table - 8);
  }
}

TEST_F(Result_Navigation, AfterActivationTheNextTableStartsOnItsFirstPage) {
  s.Sample_Number = 100;
  s.Sample_Tubes = 2;
  for (Long i = 1; i <= 100; ++i) s.Sample_Tube_N(i) = 2;
  Reg_Result& screen = results();
  Sample_Disp(program);
  screen.VScroll1.set_value(5);
  screen.activate();  // the user comes back from another window: the page shown stays
  EXPECT_EQ(screen.Label1[0].caption, "101");
  EXPECT_EQ(screen.VScroll1.value(), 5);
  Sample_Disp(program);
  EXPECT_EQ(screen.Result_Page, 0);
  EXPECT_EQ(screen.VScroll1.value(), 0) << "the bar tells the page shown";
  EXPECT_EQ(screen.Label1[0].caption, "1");
}

}  // namespace
}  // namespace quorin
