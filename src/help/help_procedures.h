#pragma once
// The help screen, as the navigation makes it.
#include <memory>
#include "ui/form.h"

namespace quorin {

class Program;

std::unique_ptr<ui::Form> Make_Reg_Help(Program& program);

}  // namespace quorin
