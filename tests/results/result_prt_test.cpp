// The result printout as recorded printer operations: the three tables of the hand-worked assay,
// where pages break, and what the user is told.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "results/result_prt.h"
#include "results/results_procedures.h"
#include "state/program.h"
#include "support/hand_worked_assay.h"
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
  s->Sample_Id = {"", "", "", "P-0003"};
  EXPECT_EQ(print_result_table(*s, Result_Kind::Sample, printer), 1);
  // A second standard without tubes is skipped; standard 1 read back.
  s->STD_Number = 2;
  s->STD_Data(4, STD_Column::Concentration) = 0.5, s->STD_Conc(4, 1) = 0.4567;
  s->STD_Data(4, STD_Column::Mean_Count) = 4000.4, s->STD_Data(4, STD_Column::Count_CV) = 1.5,
                 s->STD_Data(4, STD_Column::Back_Mean) = 0.4567, s->STD_Data(4, STD_Column::Back_CV) = 0;
  s->Weight_Type = 1;
  EXPECT_EQ(print_result_table(*s, Result_Kind::Standard_Conc, printer), 1);
  EXPECT_EQ(printer.documents(), 3);
  testing::expect_golden("hand_worked_printout.txt", testing::lines_of(printer.ops()));
}

// Measured tubes of samples 1, 2, ...: 47 rows and a summary on line 50 end a page; an item split
// across pages goes on after the next header; 48 rows fill a page; the last items not measured.
// Each page's first and last rows are recorded.
TEST_F(Result_Printout, PagesBreakAfterRow47Or48AndEveryPageIsADocument) {
  std::vector<int> pairs(15, 2), split(13, 3);
  pairs.insert(pairs.end(), {1, 1});
  split[0] = 1;
  std::string record;
  for (const std::vector<int>& tubes : {pairs, split, std::vector<int>(1000, 1), std::vector<int>{2, 0, 0}}) {
    printer.clear();
    s->Sample_Number = static_cast<Long>(tubes.size());
    s->Sample_Tubes = 10;
    for (std::size_t i = 0; i < tubes.size(); ++i) s->Sample_Tube_N(i + 1) = static_cast<Integer>(tubes[i]);
    const int pages = print_result_table(*s, Result_Kind::Sample, printer);
    EXPECT_EQ(printer.documents(), pages);
    record += "== " + std::to_string(pages) + " pages\n";
    for (int p = 1; p <= pages; p = p == 2 && pages > 3 ? pages : p + 1) {
      Ops rows;  // the page number, the rows and their frame
      for (const std::string& op : page(p))
        if (op.rfind("text 9600,250", 0) == 0 || op.rfind("rect", 0) == 0 ||
            (op.rfind("text 0,", 0) == 0 && op.rfind("text 0,250", 0) != 0 && op.rfind("text 0,750", 0) != 0))
          rows.push_back(op);
      const auto head = rows.begin() + std::min<std::ptrdiff_t>(4, std::ssize(rows) / 2);
      const auto tail = std::max(head, rows.end() - 4);
      record += testing::lines_of(Ops(rows.begin(), head)) + "...\n" + testing::lines_of(Ops(tail, rows.end()));
    }
  }
  testing::expect_golden("page_breaks.txt", record);
}

// Result_PRT prints the table last asked for (the whole road and the screens-vs-batch tests see
// what); a table without measured items it refuses, printing nothing.
TEST(Result_PRT, SaysWhenItHasNothingToPrint) {
  ui::Scripted_Platform platform;
  Program program(platform);
  program.state.Result_Table = 2;  // the sera, not measured
  program.state.Sera_Number = 3;
  testing::as_computed(program.state);
  Result_PRT(program);
  EXPECT_EQ(platform.recorder.documents(), 0);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"印刷する測定結果がありません"});
}

}  // namespace
}  // namespace quorin
