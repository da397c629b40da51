#include "ui/desktop.h"

#include <algorithm>

namespace quorin::ui {

void Desktop::show(Form& form) {
  auto it = std::find(forms_.begin(), forms_.end(), &form);
  const bool already_front = it != forms_.end() && it + 1 == forms_.end();
  if (it == forms_.end()) {
    forms_.push_back(&form);
    form.desktop = this;
    if (observer_ != nullptr) observer_->form_opened(form);
  } else if (!already_front) {
    forms_.erase(it);
    forms_.push_back(&form);
  }
  if (!already_front) form.activate();
}

void Desktop::close(std::unique_ptr<Form> form) {
  if (!form) return;
  auto it = std::find(forms_.begin(), forms_.end(), form.get());
  if (it != forms_.end()) {
    if (observer_ != nullptr) observer_->form_closing(*form);
    forms_.erase(it);
  }
  form->desktop = nullptr;
  form->drop_focus();
  // One of its own handlers may be what closes it: keep it until the events are over.
  closed_.push_back(std::move(form));
}

bool Desktop::is_open(const Form& form) const { return std::find(forms_.begin(), forms_.end(), &form) != forms_.end(); }

}  // namespace quorin::ui
