// The help screen scrolled to the heading of the results section, with the print button of the
// standard-curve section open.
// Run from a folder where help.csv can be found (the build folder holds a copy).
#include "help/reg_help.h"
#include "shot.h"

int main(int argc, char** argv) {
  return quorin::shots::run(argc, argv, [](quorin::Program& program, quorin::ui::Scripted_Platform&) {
    program.show(quorin::Screen::Help);
    auto& help = *program.screen_as<quorin::Reg_Help>(quorin::Screen::Help);
    help.VScroll1.set_value(55);
    help.Label1[59].on_click();
  });
}
