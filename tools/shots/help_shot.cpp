// The help screen scrolled to the heading of the results section, with the print button of the
// standard-curve section open; or scrolled and opened where asked.
// Run from a folder where help.csv can be found (the build folder holds a copy).
//
//   ./build/release/help_shot out.png [scroll value] [keyword]
#include <cstdlib>

#include "help/reg_help.h"
#include "shot.h"

int main(int argc, char** argv) {
  const int scroll = argc > 2 ? std::atoi(argv[2]) : 55;
  const int keyword = argc > 3 ? std::atoi(argv[3]) : 59;
  return quorin::shots::run(argc, argv, [&](quorin::Program& program, quorin::ui::Scripted_Platform&) {
    program.show(quorin::Screen::Help);
    auto& help = *program.screen_as<quorin::Reg_Help>(quorin::Screen::Help);
    help.VScroll1.set_value(scroll);
    help.Label1[keyword].on_click();
  });
}
