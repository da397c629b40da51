// The start-up screen once its animation has finished.
#include "intro/reg_intro.h"
#include "shot.h"

int main(int argc, char** argv) {
  return quorin::shots::run(argc, argv, [](quorin::Program& program, quorin::ui::Scripted_Platform&) {
    program.start();
    auto& intro = *program.screen_as<quorin::Reg_Intro>(quorin::Screen::Intro);
    for (int tick = 0; tick < 8; ++tick) intro.Timer1.on_timer();
  });
}
