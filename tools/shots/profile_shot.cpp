// The precision profile screen of the example assay's samples.
//
//   ./build/release/profile_shot out.png [CV limit | stale]
// "stale" draws the profile, then chooses another fit on the curve screen: the profile as it says
// that it is out of date.
#include <string>

#include "qc/reg_profile.h"
#include "results_assay.h"
#include "shot.h"

int main(int argc, char** argv) {
  const std::string limit = argc > 2 ? argv[2] : "";
  return quorin::shots::run(argc, argv, [&](quorin::Program& program, quorin::ui::Scripted_Platform& platform) {
    quorin::shots::run_example_wizard(program, platform);
    quorin::Command_Exec(program, quorin::target::Sample_Table);
    quorin::Command_Exec(program, quorin::target::Precision_Profile);
    auto* profile = program.screen_as<quorin::Reg_Profile>(quorin::Screen::Profile);
    if (profile != nullptr && limit == "stale") {
      quorin::shots::choose_other_fit(program);
      program.desktop.show(*profile);
    } else if (profile != nullptr && !limit.empty()) {
      profile->Limit_Box.text = limit;
      profile->Limit_Box.on_key_down(quorin::ui::Key_Return, 0);
    }
  });
}
