#pragma once
// A twenty-standard assay typed into the conditions screen through its own events, for the
// conditions screenshot and the conditions printout.

#include <string>

#include "conditions/reg_set.h"
#include "state/program.h"

namespace quorin::shots {

inline Reg_Set& fill_conditions(Program& program) {
  program.show(Screen::Conditions);
  auto& screen = *program.screen_as<Reg_Set>(Screen::Conditions);
  auto type = [&screen](int box, const std::string& text) {
    screen.set_focus(screen.info[box]);
    screen.info[box].on_key_down('1', 0);
    screen.info[box].set_text(text);
    screen.set_focus(screen.Command[0]);
  };
  const char* fields[] = {"山田　花子", "2000/05/15", "",  "コルチゾール", "μg/dl", "A-0515-12", "20",
                          "2",          "3",          "2", "100000",       "2",     "1.5"};
  for (int i = 0; i < 13; ++i)
    if (i != 2) type(i, fields[i]);
  const char* concentrations[] = {"0.25", "0.5", "1",  "2",  "3",   "5",   "7.5", "10",  "15",  "20",
                                  "30",   "40",  "50", "75", "100", "150", "200", "300", "500", "1000"};
  for (int k = 1; k <= 20; ++k) type(12 + k, concentrations[k - 1]);
  return screen;
}

}  // namespace quorin::shots
