#pragma once
// The four work screens share one row of command buttons whose index is the navigation target.

#include "ui/form.h"

namespace quorin {

class Work_Screen : public ui::Form {
 public:
  using ui::Form::Form;
  ui::Control_Array<ui::Command_Button> Command{"Command"};
};

}  // namespace quorin
