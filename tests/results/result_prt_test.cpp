// The result printout as recorded printer operations: the three tables of the hand-worked assay,
// where pages break, and what the user is told.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "results/result_prt.h"
#include "state/program.h"
#include "state/screen_procedures.h"
#include "support/hand_worked_assay.h"
#include "support/pdf_platform.h"
#include "support/test_support.h"
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
    s->Weight_Name(1) = "標準点との距離";
  }
  // The operations of page p (1-based): from its title to its "end".
  Ops page(int p) const {
    const Ops& ops = printer.ops();
    auto begin = ops.begin();
    for (int k = 1; k < p; ++k) begin = std::find(begin, ops.end(), "end") + 1;
    return Ops(begin, std::find(begin, ops.end(), "end") + 1);
  }

  std::unique_ptr<Assay_State> s;
  ui::Recording_Printer printer;
};

TEST_F(Result_Printout, TablesOfTheHandWorkedAssay) {
  testing::hand_worked(*s);  // serum 1 and sample 2 not measured: no rows, no tube numbers
  EXPECT_EQ(print_result_table(*s, Result_Kind::Sera, printer), 1);
  // Sample 3's figures wider than their columns are printed whole.
  double* wide = s->Sample_Data.row(3);
  wide[1] = 12.345, wide[2] = 1234567.5, wide[3] = 123456789;
  EXPECT_EQ(print_result_table(*s, Result_Kind::Sample, printer), 1);
  // A second standard without tubes is skipped; standard 1 read back.
  s->STD_Number = 2;
  s->STD_Data(4, 0) = 0.5, s->STD_Conc(4, 1) = 0.4567;
  s->STD_Data(4, 1) = 4000.4, s->STD_Data(4, 2) = 1.5, s->STD_Data(4, 4) = 0.4567, s->STD_Data(4, 6) = 0;
  s->Weight_Type = 1;
  EXPECT_EQ(print_result_table(*s, Result_Kind::Standard_Conc, printer), 1);
  EXPECT_EQ(printer.documents(), 3);
  testing::expect_golden("hand_worked_printout.txt", testing::lines_of(printer.ops()));
}

TEST_F(Result_Printout, PagesBreakAfterRow47Or48AndEveryPageIsADocument) {
  struct Case {
    const char* what;
    std::vector<int> tubes;  // measured tubes of samples 1, 2, ...
    int pages;
    int on_page;  // the page that must hold these operations
    Ops held, missing;
  };
  std::vector<int> fifteen_pairs_then_two(15, 2);
  fifteen_pairs_then_two.insert(fifteen_pairs_then_two.end(), {1, 1});
  std::vector<int> split(13, 3);
  split[0] = 1;
  const Case cases[] = {
      {"47 rows: a summary on line 50 ends the page",
       fifteen_pairs_then_two,
       2,
       1,
       {"text 0,12500 \"  Sample 16\"", "rect 0,750 10800,12750", "line 0,12500 10800,12500"},
       {"text 0,12750 \"  Sample 17\""}},
      {"the next page goes on with the next item",
       fifteen_pairs_then_two,
       2,
       2,
       {"text 9600,250 \"Page. 2 \"", "text 0,1000 \"   32 \"", "text 0,1250 \"  Sample 17\"", "rect 0,750 10800,1500"},
       {}},
      {"an item split across pages",
       split,
       2,
       1,
       {"text 0,12500 \"   35 \"", "rect 0,750 10800,12750"},
       {"text 0,12750 \"  Sample 13\""}},
      {"its tubes go on after the next header",
       split,
       2,
       2,
       {"text 0,1000 \"   36 \"", "text 0,1250 \"   37 \"", "text 0,1500 \"  Sample 13\""},
       {}},
      {"48 rows fill a page",
       std::vector<int>(1000, 1),
       42,
       1,
       {"text 0,12750 \"  Sample 24\"", "rect 0,750 10800,13000"},
       {"text 0,13000 \"   25 \""}},
      {"the 42nd page",
       std::vector<int>(1000, 1),
       42,
       42,
       {"text 9600,250 \"Page. 42 \"", "text 0,1000 \"   985 \""},
       {}},
      {"the last items not measured",
       {2, 0, 0},
       1,
       1,
       {"rect 0,750 10800,1750", "end"},
       {"text 0,1750 \"  Sample 2\""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    printer.clear();
    s->Sample_Number = static_cast<Long>(c.tubes.size());
    s->Sample_Tubes = 10;
    for (std::size_t i = 0; i < c.tubes.size(); ++i) s->Sample_Tube_N(i + 1) = static_cast<Integer>(c.tubes[i]);
    EXPECT_EQ(print_result_table(*s, Result_Kind::Sample, printer), c.pages);
    EXPECT_EQ(printer.documents(), c.pages);
    const Ops ops = page(c.on_page);
    for (const std::string& op : c.held) EXPECT_NE(std::find(ops.begin(), ops.end(), op), ops.end()) << op;
    for (const std::string& op : c.missing) EXPECT_EQ(std::find(ops.begin(), ops.end(), op), ops.end()) << op;
  }
}

// Result_PRT prints the table last asked for and says so, through the printer or into a PDF file.
TEST(Result_PRT, PrintsTheTableLastAskedForAndSaysSo) {
  struct Case {
    int table;
    bool measured, pdf;
    const char* message;
  };
  const Case cases[] = {
      {3, true, false, "印刷が終了しました"},
      {2, false, false, "印刷する測定結果がありません"},
      {1, true, true, "印刷が終了しました\nPDFファイル: /home/lab/quorin-print-1.pdf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    testing::Pdf_Platform pdf_platform;
    ui::Scripted_Platform plain_platform;
    ui::Scripted_Platform& platform = c.pdf ? pdf_platform : plain_platform;
    const ui::Recording_Printer& printer = c.pdf ? pdf_platform.pdf : plain_platform.recorder;
    Program program(platform);
    Assay_State& s = program.state;
    s.Result_Table = c.table;
    s.Sample_Number = 1, s.Sample_Tube_N(1) = c.measured;
    s.Sera_Number = 3;
    s.STD_Number = 1, s.STD_Tube_N(4) = c.measured;
    s.Dilution_Factor = 1;
    testing::as_computed(s);
    Result_PRT(program);
    EXPECT_EQ(printer.documents(), c.measured ? 1 : 0);
    EXPECT_EQ(platform.messages, std::vector<std::string>{c.message});
  }
}

}  // namespace
}  // namespace quorin
