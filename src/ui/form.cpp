#include "ui/form.h"

namespace quorin::ui {

Control* Form::find(const std::string& name, int index) const {
  for (const auto& control : controls_)
    if (control->name == name && control->index == index) return control.get();
  return nullptr;
}

void Form::set_focus(Control& control) {
  if (focused_ == &control) return;
  Control* previous = focused_;
  focused_ = &control;
  if (previous != nullptr && previous->on_lost_focus) previous->on_lost_focus();
  // The lost-focus step may itself have moved the focus on (a refused value sends it back).
  if (focused_ == &control && control.on_got_focus) control.on_got_focus();
}

}  // namespace quorin::ui
