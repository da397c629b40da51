// The results screen: the four tables of the hand-worked assay as shown, the scroll range and the
// pages of long tables, and when the print button may print.

#include <gtest/gtest.h>

#include <string>

#include "results/reg_result.h"
#include "state/navigation.h"
#include "state/program.h"
#include "state/screen_procedures.h"
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
  void measured_samples(Long count, int tubes, int measured) {
    s.Sample_Number = count;
    s.Sample_Tubes = static_cast<Integer>(tubes);
    for (Long i = 1; i <= count; ++i) s.Sample_Tube_N(i) = static_cast<Integer>(measured);
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
  s.STD_Data(4, 0) = 0.5, s.STD_Data(5, 0) = 12.25;
  s.STD_Conc(4, 1) = 0.4567, s.STD_Data(4, 4) = 0.4567;
  s.Reg_Order = 3;
  shown_tables += table(Result_Kind::Standard_Data);
  shown_tables += table(Result_Kind::Standard_Conc);
  s.Reg_Order = 1;
  s.Weight_Type = 3;
  shown_tables += table(Result_Kind::Sera);
  s.Weight_Type = 0;
  s.Sample_Data(1, 0) = 0;  // an area of 0 shows as nothing
  s.Sample_Data(3, 0) = 4;
  shown_tables += table(Result_Kind::Sample);
  testing::expect_golden("hand_worked_tables.txt", shown_tables);
}

TEST_F(Result_Screen, ScrollRangeAndPagesOfLongTables) {
  struct Case {
    const char* what;
    int standards;
    Long samples;
    int tubes, measured;
    Result_Kind kind;
    int maximum;
    const char* first_row;  // of the last page, then its last row
    const char* last_row;
  };
  const Case cases[] = {
      {"5 standards of 2 tubes: 24 rows", 5, 0, 2, 2, Result_Kind::Standard_Data, 1, "21|", "40|"},
      {"100 samples of 2 tubes: 300 rows", 0, 100, 2, 2, Result_Kind::Sample, 14, "281| 188|", "300|Sample 100|"},
      {"no sample at all", 0, 0, 0, 0, Result_Kind::Sample, 1, "21|", "40|"},
      {"1000 samples of 1 tube: 2000 rows", 0, 1000, 1, 1, Result_Kind::Sample, 99, "1981| 991|", "2000|Sample 1000|"},
      {"planned tubes beyond the filled rows", 0, 100, 10, 1, Result_Kind::Sample, 52, "1041|", "1060|"},
      {"55,000 rows", 0, 5000, 10, 10, Result_Kind::Sample, 2749, "54981| 49983|", "55000|Sample 5000|"},
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
    screen.VScroll1.set_value(c.maximum);
    EXPECT_EQ(screen.Result_Page, c.maximum);
    EXPECT_EQ(shown(0).rfind(c.first_row, 0), 0u) << shown(0);
    EXPECT_EQ(shown(19).rfind(c.last_row, 0), 0u) << shown(19);
  }
}

// The results screen as the dispatcher shows it.
class Result_Navigation : public ::testing::Test {
 protected:
  Result_Navigation() : program(platform) {
    s.STD_Number = 1;
    s.STD_Tubes = 1;
    s.STD_Data(4, 0) = 1;
    for (int k = 1; k <= 4; ++k) s.STD_Count(k, 1) = 1000 * k, s.STD_Tube_N(k) = 1;
    s.Plot_Stage = 2;
  }
  testing::Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program;
  Assay_State& s = program.state;
};

TEST_F(Result_Navigation, PrintingWaitsForAPrintableTable) {
  program.show(Screen::Result);
  Reg_Result& screen = *program.screen_as<Reg_Result>(Screen::Result);
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

}  // namespace
}  // namespace quorin
