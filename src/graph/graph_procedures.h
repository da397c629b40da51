#pragma once
// The standard-curve screen's procedures, as the navigation runs them.
#include <memory>
#include "ui/form.h"

namespace quorin {

class Program;

std::unique_ptr<ui::Form> Make_Reg_Graph(Program& program);

// Standard-curve screen (loaded by the caller): the standard plot; the regression over the
// range boxes followed by the fitted curves; the wizard's curve step; the graph printout.
void Standard_Plotting(Program& program);
void Show_Fitted_Curves(Program& program);
void Wizard_Show_Curves(Program& program);
void Graph_PRT(Program& program);
// Run after every event: a drawing made from other standards, concentrations or another range than
// those in force is put away, the screen offering to draw it afresh (Reg_Graph::check_drawing).
void Check_Graph(Program& program);
// The fitted curves drawn afresh on the curve screen (loaded first when it is not), and the buttons
// they make reachable enabled; false, after the user was told why, when they cannot be fitted.
bool Draw_Fitted_Curves(Program& program);

}  // namespace quorin
