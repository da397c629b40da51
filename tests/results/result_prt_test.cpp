// The result printout as recorded printer operations: a whole page by hand, the page break after
// 47 and 48 rows, an item split across pages, unmeasured items, the sample layout's alignment.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "results/result_prt.h"
#include "results_fixture.h"
#include "state/program.h"
#include "state/screen_procedures.h"
#include "support/pdf_platform.h"
#include "ui/recording_printer.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

using Ops = std::vector<std::string>;

class Result_Printout : public ::testing::Test {
 protected:
  Result_Printout() : s(std::make_unique<Assay_State>()) {
    s->Reg_Order = 1;
    s->Weight_Name(0) = "重み付け無し";
  }
  // Samples with the given numbers of measured tubes, in order.
  void samples(const std::vector<int>& tubes) {
    s->Sample_Number = static_cast<Long>(tubes.size());
    s->Sample_Tubes = 10;
    for (std::size_t i = 0; i < tubes.size(); ++i) s->Sample_Tube_N(i + 1) = static_cast<Integer>(tubes[i]);
  }
  int print(Result_Kind kind) { return print_result_table(*s, kind, printer); }
  // The operations of page p (1-based): from its title to its "end".
  Ops page(int p) const {
    const Ops& ops = printer.ops();
    auto begin = ops.begin();
    for (int k = 1; k < p; ++k) begin = std::find(begin, ops.end(), "end") + 1;
    return Ops(begin, std::find(begin, ops.end(), "end") + 1);
  }
  static bool has(const Ops& ops, const std::string& op) { return std::find(ops.begin(), ops.end(), op) != ops.end(); }

  std::unique_ptr<Assay_State> s;
  ui::Recording_Printer printer;
};

TEST_F(Result_Printout, SeraPageByHand) {
  testing::hand_worked(*s);  // serum 1 is not measured: no row, no tube number
  EXPECT_EQ(print(Result_Kind::Sera), 1);
  const Ops expected = {"font 14",
                        "text 0,250 \"管理血清測定値( 1次重み付け無し)\"",
                        "font 8",
                        "text 9600,250 \"Page. 1 \"",
                        "text 0,750 \"Remark    \"",
                        "text 1200,750 \"Counts\"",
                        "text 2400,750 \"Calc Conc.\"",
                        "text 3600,750 \"Count CV\"",
                        "text 4800,750 \"Mean Calc Conc.\"",
                        "text 6000,750 \"Range\"",
                        "text 7200,750 \"Conc. CV\"",
                        "font 10",
                        "text 0,1000 \" 1 \"",
                        "text 1200,1000 \"      5010\"",
                        "text 2400,1000 \"  1.235\"",
                        "font 10",
                        "text 0,1250 \" 2 \"",
                        "text 1200,1250 \"      4990\"",
                        "text 2400,1250 \"  1.250\"",
                        "text 0,1500 \" Sera 2\"",
                        "text 3600,1500 \"     0.28\"",
                        "text 4800,1500 \"   1.242\"",
                        "text 6000,1500 \"  0.016\"",
                        "text 7200,1500 \"     0.88\"",
                        "rect 0,750 8400,1750",
                        "line 1200,750 1200,1750",
                        "line 2400,750 2400,1750",
                        "line 3600,750 3600,1750",
                        "line 4800,750 4800,1750",
                        "line 6000,750 6000,1750",
                        "line 7200,750 7200,1750",
                        "line 8400,750 8400,1750",
                        "line 0,1000 8400,1000",
                        "line 0,1250 8400,1250",
                        "line 0,1500 8400,1500",
                        "end"};
  EXPECT_EQ(printer.ops(), expected);
}

TEST_F(Result_Printout, StandardConcentrationCells) {
  s->STD_Number = 2;
  s->STD_Tube_N(4) = 1;  // standard 2 (row 5) has no measured tube and is skipped
  s->STD_Data(4, 0) = 0.5, s->STD_Count(4, 1) = 4000, s->STD_Conc(4, 1) = 0.4567;
  s->STD_Data(4, 1) = 4000.4, s->STD_Data(4, 2) = 1.5, s->STD_Data(4, 4) = 0.4567, s->STD_Data(4, 6) = 0;
  s->Weight_Type = 1;
  s->Weight_Name(1) = "標準点との距離";
  print(Result_Kind::Standard_Conc);
  const Ops ops = page(1);
  EXPECT_EQ(ops[1], "text 0,250 \"標準液濃度( 1次標準点との距離)\"");
  for (const char* op : {"text 0,750 \" Remark    \"", "text 8400,750 \" Conc. CV  \"", "text 0,1000 \"   1 \"",
                         "text 1200,1000 \"   0.50\"", "text 2400,1000 \"     4000\"", "text 6000,1000 \"   0.46\"",
                         "text 0,1250 \"  STD 1\"", "text 3600,1250 \"      4000\"", "text 4800,1250 \"    1.50\"",
                         "text 7200,1250 \"  0.46\"", "text 8400,1250 \"    0.00\"", "rect 0,750 9600,1500"})
    EXPECT_TRUE(has(ops, op)) << op;
  EXPECT_EQ(std::count_if(ops.begin(), ops.end(), [](const std::string& op) { return op.rfind("line ", 0) == 0; }),
            7 + 2);
  EXPECT_EQ(printer.documents(), 1);
}

TEST_F(Result_Printout, PageEndsAfterRow47WhenASummaryReachesLine50) {
  // 15 samples of 2 tubes (45 rows) and one of 1 tube: 47 rows; then one more sample.
  std::vector<int> tubes(15, 2);
  tubes.push_back(1);
  tubes.push_back(1);
  samples(tubes);
  EXPECT_EQ(print(Result_Kind::Sample), 2);
  const Ops first = page(1);
  EXPECT_EQ(first[first.size() - 2], "line 0,12500 10800,12500");
  EXPECT_TRUE(has(first, "rect 0,750 10800,12750"));
  EXPECT_TRUE(has(first, "text 0,12500 \"  Sample 16\""));
  EXPECT_EQ(
      std::count_if(first.begin(), first.end(), [](const std::string& op) { return op.rfind("line 0,", 0) == 0; }), 47);
  const Ops second = page(2);
  EXPECT_EQ(second[0], "font 14");
  EXPECT_EQ(second[3], "text 9600,250 \"Page. 2 \"");
  EXPECT_TRUE(has(second, "text 0,1000 \"   32 \""));  // sample 17's tube, the 32nd
  EXPECT_TRUE(has(second, "text 0,1250 \"  Sample 17\""));
  EXPECT_TRUE(has(second, "rect 0,750 10800,1500"));
}

TEST_F(Result_Printout, AnItemSplitAcrossPagesGoesOnAfterTheNextHeader) {
  // Sample 1 of 1 tube, then samples of 3 tubes: sample 13's first tube is row 47 (line 50).
  std::vector<int> tubes(13, 3);
  tubes[0] = 1;
  samples(tubes);
  EXPECT_EQ(print(Result_Kind::Sample), 2);
  const Ops first = page(1);
  EXPECT_TRUE(has(first, "text 0,12500 \"   35 \""));
  EXPECT_FALSE(has(first, "text 0,12750 \"  Sample 13\""));
  EXPECT_TRUE(has(first, "rect 0,750 10800,12750"));
  const Ops second = page(2);
  const Ops head(second.begin() + 13, second.begin() + 15);  // after the title, page number and 9 headers
  EXPECT_EQ(head, (Ops{"font 10", "text 0,1000 \"   36 \""}));
  EXPECT_TRUE(has(second, "text 0,1250 \"   37 \""));
  EXPECT_TRUE(has(second, "text 0,1500 \"  Sample 13\""));
}

TEST_F(Result_Printout, FortyEightRowsFillAPageAndEveryPageIsADocument) {
  samples(std::vector<int>(1000, 1));  // 2000 rows, 24 samples a page
  EXPECT_EQ(print(Result_Kind::Sample), 42);
  EXPECT_EQ(printer.documents(), 42);
  const Ops first = page(1);
  EXPECT_TRUE(has(first, "text 0,12750 \"  Sample 24\""));
  EXPECT_TRUE(has(first, "rect 0,750 10800,13000"));
  EXPECT_TRUE(has(page(42), "text 9600,250 \"Page. 42 \""));
  EXPECT_TRUE(has(page(42), "text 0,1000 \"   985 \""));
}

TEST_F(Result_Printout, LastPageIsFinishedAlsoWhenTheLastItemIsNotMeasured) {
  samples({2, 0, 0});
  EXPECT_EQ(print(Result_Kind::Sample), 1);
  const Ops& ops = printer.ops();
  ASSERT_FALSE(ops.empty());
  EXPECT_EQ(ops.back(), "end");
  EXPECT_TRUE(has(ops, "rect 0,750 10800,1750"));
  EXPECT_FALSE(has(ops, "text 0,1750 \"  Sample 2\""));
}

TEST_F(Result_Printout, SampleNumbersAreRightAlignedInTwelveCharactersWithoutLosingDigits) {
  samples({1});
  s->Sample_Count(1, 1) = 1234;
  s->Sample_Conc(1, 1) = 12.345;
  double* data = s->Sample_Data.row(1);
  data[0] = 3, data[1] = 12.345, data[2] = 1234567.5, data[3] = 123456789, data[4] = 0, data[5] = 0;
  print(Result_Kind::Sample);
  const Ops ops = page(1);
  for (const char* op : {"text 1200,1000 \"        1234\"", "text 2400,1000 \"      12.345\"",
                         "text 4800,1250 \"      12.345\"", "text 6000,1250 \" 1234567.500\"",
                         "text 7200,1250 \"123456789.000\"",  // 13 characters, printed whole
                         "text 3600,1250 \"        0.00\"", "text 9600,1250 \"           3\""})
    EXPECT_TRUE(has(ops, op)) << op;
}

// Result_PRT: the table last asked for, and what the user is told.
class Result_PRT_Test : public ::testing::Test {
 protected:
  Result_PRT_Test() : program(platform) {}
  ui::Scripted_Platform platform;
  Program program;
};

TEST_F(Result_PRT_Test, PrintsTheTableLastAskedForAndSaysSo) {
  program.state.Result_Table = 3;
  program.state.Sample_Number = 1;
  program.state.Sample_Tube_N(1) = 1;
  program.state.Dilution_Factor = 1;
  testing::as_computed(program.state);
  Result_PRT(program);
  EXPECT_EQ(platform.recorder.documents(), 1);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"印刷が終了しました"});
}

TEST_F(Result_PRT_Test, ATableWithoutMeasuredItemsPrintsNothing) {
  program.state.Result_Table = 2;
  program.state.Sera_Number = 3;
  testing::as_computed(program.state);
  Result_PRT(program);
  EXPECT_TRUE(platform.recorder.ops().empty());
  EXPECT_EQ(platform.messages, std::vector<std::string>{"印刷する測定結果がありません"});
}

TEST(Result_PRT_Pdf, TheMessageNamesThePdfFile) {
  testing::Pdf_Platform platform;
  Program program(platform);
  program.state.Result_Table = 1;
  program.state.STD_Number = 1;
  program.state.STD_Tube_N(4) = 1;
  testing::as_computed(program.state);
  Result_PRT(program);
  EXPECT_EQ(platform.pdf.documents(), 1);
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{"印刷が終了しました\nPDFファイル: /home/lab/quorin-print-1.pdf"});
}

}  // namespace
}  // namespace quorin
