#include "support/form_driver.h"

#include <cctype>

namespace quorin::testing {

int key_code_of(char character) {
  if (std::isdigit(static_cast<unsigned char>(character)) || std::isupper(static_cast<unsigned char>(character)))
    return character;
  if (std::islower(static_cast<unsigned char>(character))) return std::toupper(static_cast<unsigned char>(character));
  switch (character) {
    case '.': return 190;
    case '-': return 189;
    case ',': return 188;
    case ' ': return 32;
    default: return 0;
  }
}

void focus(ui::Control& control) { control.form->set_focus(control); }

void type_over(ui::Text_Box& box, const std::string& typed) {
  focus(box);
  for (char c : typed) {
    if (box.on_key_down) box.on_key_down(key_code_of(c), 0);
    if (box.on_key_press) box.on_key_press(static_cast<unsigned char>(c));
  }
  if (typed.empty() && box.on_key_down) box.on_key_down(ui::Key_Delete, 0);
  box.caret = static_cast<int>(typed.size());
  box.set_text(typed);
}

void press(ui::Control& control, int key_code) {
  if (control.on_key_down) control.on_key_down(key_code, 0);
}

void paste_with_mouse(ui::Text_Box& box, const std::string& text) {
  focus(box);
  box.set_text(text);
}

void click(ui::Control& control) {
  if (control.takes_focus()) focus(control);
  if (control.on_click) control.on_click();
}

}  // namespace quorin::testing
