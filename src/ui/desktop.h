#pragma once
// The open forms, bottom to top. The renderer watches it; closed forms are kept alive until no
// event handler can still be running inside them.

#include <functional>
#include <memory>
#include <vector>

#include "ui/form.h"

namespace quorin::ui {

class Desktop_Observer {
 public:
  virtual ~Desktop_Observer() = default;
  virtual void form_opened(Form& form) = 0;
  virtual void form_closing(Form& form) = 0;
};

class Desktop {
 public:
  void set_observer(Desktop_Observer* observer) { observer_ = observer; }
  // Puts an open form on top, or brings an open one to the front; runs its activate step when
  // it was not already the front form.
  void show(Form& form);
  // Removes the form; it is destroyed once no event is being handled.
  void close(std::unique_ptr<Form> form);
  bool is_open(const Form& form) const;
  Form* front() const { return forms_.empty() ? nullptr : forms_.back(); }
  const std::vector<Form*>& forms() const { return forms_; }
  // Run when the outermost event ends, before closed forms are released: what the program
  // brings up to date after every event, whatever the event changed.
  void set_event_end(std::function<void()> step) { event_end_ = std::move(step); }

  // Held while the window system hands an event to the model; closed forms are released when
  // the outermost one ends (without any, they live as long as the desktop). Events raised while
  // the end step runs (a message box's) are inside the same outermost event.
  class Event_Scope {
   public:
    explicit Event_Scope(Desktop& desktop) : desktop_(desktop) { ++desktop_.event_depth_; }
    ~Event_Scope() {
      if (desktop_.event_depth_ == 1 && desktop_.event_end_) desktop_.event_end_();
      if (--desktop_.event_depth_ == 0) desktop_.closed_.clear();
    }
    Event_Scope(const Event_Scope&) = delete;
    Event_Scope& operator=(const Event_Scope&) = delete;

   private:
    Desktop& desktop_;
  };

 private:
  std::vector<Form*> forms_;
  std::vector<std::unique_ptr<Form>> closed_;
  Desktop_Observer* observer_ = nullptr;
  std::function<void()> event_end_;
  int event_depth_ = 0;
};

}  // namespace quorin::ui
