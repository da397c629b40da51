// The Levey-Jennings screen of the example assay against a control-serum history.
//
//   ./build/release/qc_shot out.png HISTORY.sqlite [serum 1..3] [first run shown] [stale]
// "stale" then chooses another fit on the curve screen: the chart as it says that it no longer
// shows the assay's run.
#include <cstdlib>
#include <string>

#include "qc/reg_qc.h"
#include "results_assay.h"
#include "shot.h"

int main(int argc, char** argv) {
  const std::string history = argc > 2 ? argv[2] : "";
  const int serum = argc > 3 ? std::atoi(argv[3]) : 1;
  const int first = argc > 4 ? std::atoi(argv[4]) : -1;
  return quorin::shots::run(argc, argv, [&](quorin::Program& program, quorin::ui::Scripted_Platform& platform) {
    program.qc_history.path = history;
    quorin::shots::run_example_wizard(program, platform);
    quorin::Command_Exec(program, quorin::target::QC_Chart);
    auto* chart = program.screen_as<quorin::Reg_QC>(quorin::Screen::QC_Chart);
    for (int s = 1; chart != nullptr && s < serum; ++s) chart->Step[3].on_click();
    if (chart != nullptr && first >= 0) chart->HScroll1.set_value(first);
    if (chart != nullptr && argc > 5 && std::string(argv[5]) == "stale") {
      quorin::shots::choose_other_fit(program);
      program.desktop.show(*chart);
    }
  });
}
