// The data entry screen of the largest assay (20 standards, 20 control sera and 100,000
// samples of 10 tubes), on a page in the middle of the samples with the cursor on its eighth row,
// which a click on its REMARK cell chose; with "change", the number of samples being changed.
//
//   ./build/release/data_shot out.png [page] [change]
#include <cstdlib>
#include <string>

#include "data/reg_data.h"
#include "data_assay.h"
#include "navigation/navigation.h"
#include "shot.h"

int main(int argc, char** argv) {
  const int page = argc > 2 ? std::atoi(argv[2]) : 25017;
  const bool change = argc > 3 && std::string(argv[3]) == "change";
  return quorin::shots::run(argc, argv, [&](quorin::Program& program, quorin::ui::Scripted_Platform&) {
    quorin::shots::fill_assay(program.state, 20, 10, 20, quorin::Max_Samples);
    program.state.Screen_No = 1;
    quorin::Command_Exec(program, quorin::target::Data_Sheet);
    auto* sheet = program.screen_as<quorin::Reg_Data>(quorin::Screen::Data);
    if (sheet == nullptr) return;
    sheet->VScroll1.set_value(page);
    sheet->Label1[27].on_click();
    if (change) sheet->Command3.on_click();
  });
}
