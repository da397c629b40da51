// The LIS doors of the results screen after the example's wizard: with "screen" the sample table
// with "LIS送信" greyed (no settings yet), otherwise the settings dialog, filled in, in front.
//
//   ./build/release/lis_shot out.png [screen|dialog]
#include <cstdlib>
#include <string>

#include "lis/reg_lis.h"
#include "results/reg_result.h"
#include "results_assay.h"
#include "shot.h"

int main(int argc, char** argv) {
  const std::string what = argc > 2 ? argv[2] : "dialog";
  return quorin::shots::run(argc, argv, [&](quorin::Program& program, quorin::ui::Scripted_Platform& platform) {
    quorin::shots::run_example_wizard(program, platform);
    for (long i = 0; i <= program.state.Sample_Number; ++i)
      program.state.Sample_Id.push_back(i == 0 ? "" : "K-26-" + std::to_string(1000 + i));
    quorin::Command_Exec(program, quorin::target::Sample_Table);
    program.enable_commands();
    if (what == "screen") return;
    program.show(quorin::Screen::LIS);
    auto& dialog = *program.screen_as<quorin::Reg_LIS>(quorin::Screen::LIS);
    const char* boxes[] = {"lis.lab.example:2575", "30", "RIA 検査室", "LIS", "中央病院"};
    for (int b = 0; b < 5; ++b) dialog.Box[b].text = boxes[b];
  });
}
