#pragma once
// A program with the data entry screen opened the way the user opens it (the dispatcher's
// target 2), in a fresh working folder.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "data/reg_data.h"
#include "navigation/navigation.h"
#include "state/program_fixture.h"

namespace quorin::testing {

// Standards, their tubes, sera, their tubes, samples, their tubes.
using Shape = std::tuple<Integer, Integer, Integer, Integer, Long, Integer>;

class Sheet_Test : public Program_Test {
 protected:
  // Sets the conditions; every standard gets a concentration (k + 0.5) so the sheet can open.
  static void set_shape(Assay_State& s, const Shape& shape) {
    std::tie(s.STD_Number, s.STD_Tubes, s.Sera_Number, s.Sera_Tubes, s.Sample_Number, s.Sample_Tubes) = shape;
    for (int k = 1; k <= s.STD_Number; ++k) s.STD_Data(3 + k, STD_Column::Concentration) = k + 0.5;
  }

  // Opens the sheet through the dispatcher, as the conditions screen's button does.
  Reg_Data* open_sheet() {
    state.Screen_No = 1;
    Command_Exec(program, target::Data_Sheet);
    return program.screen_as<Reg_Data>(Screen::Data);
  }

  Reg_Data& sheet() {
    auto* screen = program.screen_as<Reg_Data>(Screen::Data);
    EXPECT_NE(screen, nullptr);
    return *screen;
  }

  // The texts of one column of the page shown: 0 row numbers, 1 REMARK, 2 concentration, 3 count.
  std::vector<std::string> column(int c) {
    std::vector<std::string> texts;
    for (int k = 0; k < Reg_Data::Page_Rows; ++k) texts.push_back(sheet().Label1[c * Reg_Data::Page_Rows + k].caption);
    return texts;
  }

  // The page shown, a row to a line: number, REMARK, concentration and count.
  std::string page_text() {
    std::string text;
    for (int k = 0; k < Reg_Data::Page_Rows; ++k)
      text += column(0)[k] + "|" + column(1)[k] + "|" + column(2)[k] + "|" + column(3)[k] + "\n";
    return text;
  }

  // Saves the counts through the sheet's save button; the bytes of the file written.
  std::string save_counts() {
    platform.file_answers.push_back(folder.file("saved.txt"));
    click(sheet().Command[target::Save]);
    return read_bytes(folder.file("saved.txt"));
  }

  // Types into the cell editor and presses Enter.
  void enter_count(const std::string& typed) {
    type_over(sheet().Text1, typed);
    press(sheet().Text1, ui::Key_Return);
  }
};

// The 12-row assay: two tubes each for NSB, TOTAL, the zero standard, one standard, one serum
// and one sample.
inline constexpr Shape Twelve_Rows{1, 2, 1, 2, 1, 2};

}  // namespace quorin::testing
