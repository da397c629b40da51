#include "support/form_driver.h"

#include <cctype>
#include <optional>

#include "intro/reg_intro.h"
#include "state/commands.h"
#include "state/work_screen.h"
#include "ui/desktop.h"

namespace quorin::testing {

namespace {

// Runs one action as one event of the window system, so that what the program does at the end
// of every event follows it (nothing more when the form is not open on a desktop).
template <typename Action>
void as_event(const ui::Control& control, Action action) {
  std::optional<ui::Desktop::Event_Scope> event;
  if (control.form != nullptr && control.form->desktop != nullptr) event.emplace(*control.form->desktop);
  action();
}

}  // namespace

int key_code_of(char character) {
  const auto c = static_cast<unsigned char>(character);
  if (std::isalnum(c)) return std::toupper(c);
  return c == '.' ? 190 : c == '-' ? 189 : c == ',' ? 188 : c == ' ' ? 32 : 0;
}

void focus(ui::Control& control) {
  as_event(control, [&] { control.form->set_focus(control); });
}

void type_over(ui::Text_Box& box, const std::string& typed) {
  focus(box);
  for (char c : typed) {
    press(box, key_code_of(c));
    if (box.on_key_press) as_event(box, [&] { box.on_key_press(static_cast<unsigned char>(c)); });
  }
  if (typed.empty()) press(box, ui::Key_Delete);
  as_event(box, [&] {
    box.caret = static_cast<int>(typed.size());
    box.set_text(typed);
  });
}

void press(ui::Control& control, int key_code) {
  if (control.on_key_down) as_event(control, [&] { control.on_key_down(key_code, 0); });
}

void paste_with_mouse(ui::Text_Box& box, const std::string& text) {
  focus(box);
  as_event(box, [&] { box.set_text(text); });
}

void click(ui::Control& control) {
  if (control.takes_focus()) focus(control);
  if (control.on_click) as_event(control, [&] { control.on_click(); });
}

void run_wizard(Program& program, ui::Scripted_Platform& platform, const std::string& conditions,
                const std::string& counts) {
  program.start();
  click(program.screen_as<Reg_Intro>(Screen::Intro)->Command1);
  platform.file_answers = {conditions, counts};
  click(program.screen_as<Work_Screen>(Screen::Conditions)->Command[target::Wizard]);
}

}  // namespace quorin::testing
