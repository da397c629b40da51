#pragma once
// The model screen's procedures, as the navigation runs them.
#include <memory>
#include "ui/form.h"

namespace quorin {

class Program;

std::unique_ptr<ui::Form> Make_Reg_Model(Program& program);

// Model screen (loaded by the caller): the comparison of the logit-log fit, the 4PL and the 5PL
// computed afresh and shown; its printout.
void Model_Disp(Program& program);
// Run after every event: an open model screen whose comparison was made from other standards, fits
// or choices than those in force is computed and shown afresh, or says that the curves must be
// drawn afresh first (Reg_Model::check_revision).
void Check_Model_Screen(Program& program);
void Model_PRT(Program& program);

}  // namespace quorin
