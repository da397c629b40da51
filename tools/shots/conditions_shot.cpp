// The conditions screen with twenty standards typed in, the focus in the last standard's box.
#include "conditions_filled.h"
#include "shot.h"

int main(int argc, char** argv) {
  return quorin::shots::run(argc, argv, [](quorin::Program& program, quorin::ui::Scripted_Platform&) {
    quorin::Reg_Set& screen = quorin::shots::fill_conditions(program);
    screen.set_focus(screen.info[32]);
  });
}
