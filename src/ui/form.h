#pragma once
// A screen: a caption, a client area in twips and its controls, kept in indexed arrays as the
// screen names them (Command[7], info[12]). A screen subclass builds its controls in its
// constructor and does its load step in load(); the desktop calls activate() whenever the form
// comes to the front.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/controls.h"

namespace quorin::ui {

class Desktop;

// An indexed control array; indices need not be contiguous.
template <typename T>
class Control_Array {
 public:
  explicit Control_Array(std::string name) : name_(std::move(name)) {}
  const std::string& name() const { return name_; }
  T& operator[](int index) const { return *items_.at(index); }
  bool has(int index) const { return items_.count(index) != 0; }
  void put(int index, T* control) { items_[index] = control; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  std::size_t size() const { return items_.size(); }

 private:
  std::string name_;
  std::map<int, T*> items_;
};

class Form {
 public:
  Form(std::string caption, int client_width, int client_height)
      : caption(std::move(caption)), client_width(client_width), client_height(client_height) {}
  virtual ~Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  std::string caption;
  int client_width;
  int client_height;

  // The load step, run once when the form is first shown.
  virtual void load() {}
  // Run each time the form comes to the front.
  virtual void activate() {}
  // The screen's own close or end button, which the window's close box stands for: closing the
  // window clicks it, with its questions, and does nothing while it is disabled or hidden. A form
  // without one offers no close box.
  Control* close_control = nullptr;
  void close_box_clicked() const {
    if (close_control != nullptr && close_control->enabled && close_control->visible && close_control->on_click)
      close_control->on_click();
  }
  // The desktop the form is open on, nullptr while it is not.
  Desktop* desktop = nullptr;

  // Creates a control at (left, top, width, height); array controls are entered into `array`.
  template <typename T, typename... Extra>
  T& add(Control_Array<T>& array, int index, int left, int top, int width, int height, Extra&&... extra) {
    T& control = add_single<T>(array.name(), index, left, top, width, height, std::forward<Extra>(extra)...);
    array.put(index, &control);
    return control;
  }
  template <typename T, typename... Extra>
  T& add(const std::string& name, int left, int top, int width, int height, Extra&&... extra) {
    return add_single<T>(name, -1, left, top, width, height, std::forward<Extra>(extra)...);
  }
  const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
  // The control with this array name and index (-1 for single controls), or nullptr.
  Control* find(const std::string& name, int index = -1) const;

  Control* focused() const { return focused_; }
  // Moves the focus: the control that had it gets its lost-focus slot first, then the new one
  // its got-focus slot. Giving the focus to the control that has it does nothing.
  void set_focus(Control& control);
  // Forgets the focus without firing any slot (the control was hidden or the form is closing).
  void drop_focus() { focused_ = nullptr; }

 private:
  template <typename T, typename... Extra>
  T& add_single(const std::string& name, int index, int left, int top, int width, int height, Extra&&... extra) {
    auto control = std::make_unique<T>(name, index, std::forward<Extra>(extra)...);
    control->form = this;
    control->move(left, top, width, height);
    T& reference = *control;
    controls_.push_back(std::move(control));
    return reference;
  }
  std::vector<std::unique_ptr<Control>> controls_;
  Control* focused_ = nullptr;
};

// Places a control inside a picture area (its position becomes relative to the area).
inline void put_inside(Control& control, Picture_Area& container) { control.container = &container; }

}  // namespace quorin::ui
