// The data printout, read as the printer's recorded operations.

#include <algorithm>

#include "data/sheet_fixture.h"

namespace quorin::testing {
namespace {

using Ops = std::vector<std::string>;

class Data_Printout : public Sheet_Test {
 protected:
  Ops print() {
    platform.recorder.clear();
    click(sheet().Command[target::Print]);
    return platform.recorder.ops();
  }

  void identify() {
    state.Operator_Name = "山田";
    state.Assay_Date = "2024/05/01";
    state.Substance_Name = "TSH";
    state.Assay_No = "A-7";
  }

  static bool has(const Ops& ops, const std::string& op) { return std::find(ops.begin(), ops.end(), op) != ops.end(); }

  // The operations from the first `from` up to the end of the document it starts.
  static Ops document_from(const Ops& ops, std::size_t from) {
    const auto end = std::find(ops.begin() + static_cast<long>(from), ops.end(), "end");
    return Ops(ops.begin() + static_cast<long>(from), end == ops.end() ? end : end + 1);
  }
};

// The heading block that opens every page.
const Ops Page_Heading = {
    "font 14",
    "text 0,0 \"Data\" eol",
    "font 12",
    "text 0,500 \"Operator   : 山田\" eol",
    "text 0,750 \"Assay Date : 2024/05/01\" eol",
    "text 0,1000 \"Assay Type : \" eol",
    "text 0,1250 \"Assay Name : TSH\" eol",
    "text 0,1500 \"Assay No   : A-7\" eol",
    "font 10",
    "text 100,2250 \"No.\"",
    "text 1600,2250 \"REMARK\"",
    "text 3100,2250 \"濃  度\"",
    "text 4600,2250 \"測定値\"",
};

// The page number and ruling of a page whose ruling ends at line L = 10 + rows.
Ops page_end(int page, int rows) {
  const int last_line = 10 + rows;
  const std::string bottom = std::to_string(250 * last_line);
  Ops ops = {"text 5500,0 \"Page  " + std::to_string(page) + " \" eol", "rect 0,2250 6000," + bottom};
  for (int x : {1500, 3000, 4500})
    ops.push_back("line " + std::to_string(x) + ",2250 " + std::to_string(x) + "," + bottom);
  for (int k = 9; k < last_line; ++k)
    ops.push_back("line 0," + std::to_string(250 * k) + " 6000," + std::to_string(250 * k));
  ops.push_back("end");
  return ops;
}

TEST_F(Data_Printout, FiftyRowsMakeOneRuledPage) {
  set_shape({2, 10, 0, 0, 0, 0});  // five groups of ten tubes
  identify();
  state.STD_Count(1, 1) = 812;
  state.STD_Count(5, 10) = 2300;
  ASSERT_NE(open_sheet(), nullptr);
  const Ops ops = print();

  Ops expected = Page_Heading;
  expected.insert(expected.end(), {"text 0,2500 \"   1 \"", "text 1500,2500 \"NSB0-1\"", "text 4500,2500 \"812\""});
  const Ops first_row_and_heading(ops.begin(), ops.begin() + static_cast<long>(expected.size()));
  EXPECT_EQ(first_row_and_heading, expected);

  // Row 50 (standard 2, tube 10) at y = 250·59.
  EXPECT_TRUE(has(ops, "text 0,14750 \"   50 \""));
  EXPECT_TRUE(has(ops, "text 1500,14750 \"STD2-10\""));
  EXPECT_TRUE(has(ops, "text 3000,14750 \"2.5000\""));
  EXPECT_TRUE(has(ops, "text 4500,14750 \"2300\""));

  const Ops tail(ops.end() - static_cast<long>(page_end(1, 50).size()), ops.end());
  EXPECT_EQ(tail, page_end(1, 50));
  EXPECT_EQ(platform.recorder.documents(), 1);
  EXPECT_TRUE(platform.messages.empty()) << "the data printout reports nothing";
}

TEST_F(Data_Printout, FiftyFirstRowOpensASecondPage) {
  set_shape({2, 10, 0, 0, 1, 1});
  identify();
  state.Sample_Count(1, 1) = 64;
  ASSERT_NE(open_sheet(), nullptr);
  const Ops ops = print();
  EXPECT_EQ(platform.recorder.documents(), 2);

  const std::size_t second = static_cast<std::size_t>(std::find(ops.begin(), ops.end(), "end") - ops.begin()) + 1;
  Ops expected = Page_Heading;
  expected.insert(expected.end(), {"text 0,2500 \"   51 \"", "text 1500,2500 \"Sample1-1\"", "text 4500,2500 \"64\""});
  const Ops page_two_end = page_end(2, 1);
  expected.insert(expected.end(), page_two_end.begin(), page_two_end.end());
  EXPECT_EQ(document_from(ops, second), expected);
  EXPECT_EQ(page_two_end[1], "rect 0,2250 6000,2750");
}

TEST_F(Data_Printout, ConcentrationsMatchTheScreenAndZeroCountsPrintNothing) {
  set_shape({3, 2, 1, 2, 1, 2});  // 12 standard rows, then sera and samples
  state.STD_Data(6, 0) = 1234.56789;
  ASSERT_NE(open_sheet(), nullptr);
  const Ops ops = print();
  const std::vector<std::string> shown = column(2);
  for (int row = 1; row <= 16; ++row) {
    SCOPED_TRACE(row);
    const std::string y = std::to_string(250 * (9 + row));
    const bool printed = std::any_of(ops.begin(), ops.end(),
                                     [&](const std::string& op) { return op.rfind("text 3000," + y + " ", 0) == 0; });
    EXPECT_EQ(printed, !shown[row - 1].empty());
    if (printed) {
      EXPECT_TRUE(has(ops, "text 3000," + y + " \"" + shown[row - 1] + "\""));
    }
    EXPECT_FALSE(std::any_of(ops.begin(), ops.end(), [&](const std::string& op) {
      return op.rfind("text 4500," + y + " ", 0) == 0;
    })) << "every count is zero";
    EXPECT_TRUE(has(ops, "text 0," + y + " \"  " + " " + std::to_string(row) + " \""));
  }
  EXPECT_TRUE(has(ops, "text 3000,5250 \"1234.5679\"")) << "the last tube of the last standard";
}

}  // namespace
}  // namespace quorin::testing
