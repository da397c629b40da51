// The results screen of the example assay after the wizard, with one of its four tables; with
// "changed", as it is left once the dilution factor has been changed after the table was shown.
//
// With "ids", the samples carry identifiers and the CV limit of the flags is 5 %; with "hostile",
// the samples of hostile_samples, the second row of sample 2 chosen.
//
//   ./build/release/results_shot out.png [standard|stdconc|sera|sample] [page] [changed|ids|hostile]
#include <cstdlib>
#include <string>

#include "conditions/reg_set.h"
#include "results/reg_result.h"
#include "results_assay.h"
#include "shot.h"

int main(int argc, char** argv) {
  const std::string table = argc > 2 ? argv[2] : "sera";
  const int page = argc > 3 ? std::atoi(argv[3]) : 0;
  return quorin::shots::run(argc, argv, [&](quorin::Program& program, quorin::ui::Scripted_Platform& platform) {
    quorin::shots::run_example_wizard(program, platform);
    if (argc > 4 && std::string(argv[4]) == "ids") {
      for (long i = 0; i <= program.state.Sample_Number; ++i)
        program.state.Sample_Id.push_back(i == 0 ? "" : "K-26-" + std::to_string(1000 + i));
      program.state.Flag_CV_Limit = 5;
    }
    const bool hostile = argc > 4 && std::string(argv[4]) == "hostile";
    if (hostile) quorin::shots::hostile_samples(program);
    if (table == "standard") quorin::Command_Exec(program, quorin::target::Results);
    if (table == "stdconc") quorin::Command_Exec(program, quorin::target::Standard_Table);
    if (table == "sample") quorin::Command_Exec(program, quorin::target::Sample_Table);
    auto* screen = program.screen_as<quorin::Reg_Result>(quorin::Screen::Result);
    if (screen != nullptr) screen->VScroll1.set_value(page);
    if (screen != nullptr && hostile) screen->choose_row(5);
    if (argc > 4 && std::string(argv[4]) == "changed" && screen != nullptr) {
      auto& conditions = *program.screen_as<quorin::Reg_Set>(quorin::Screen::Conditions);
      conditions.info[12].text = "2";  // as pasted with the mouse; committed when the event ends
      program.desktop.show(*screen);
    }
  });
}
