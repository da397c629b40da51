#pragma once
// The shared dispatcher of the four work screens and the button-state rule.

#include <string>
#include <string_view>

namespace quorin {

class Program;

// Target numbers: the index of a work screen's command button.
namespace target {
inline constexpr int Open_File = 0, Conditions = 1, Data_Sheet = 2, Results = 3, Standard_Curve = 4, Print = 5,
                     Save = 6, Exit = 7, Switch_View = 8, Standard_Table = 9, Sera_Table = 10, Sample_Table = 11,
                     Printer_Setup = 12, Save_Conditions = 13, Wizard = 14, Help = 15,
                     Models = 16,  // the model screen, from the fitted curves
    Whole_Report = 17,             // results screen: every printout of the assay in one job
    QC_Chart = 18,                 // results screen: the Levey-Jennings chart of the control sera
    Precision_Profile = 19;        // results screen: the precision profile of the samples
}

struct Assay_State;

// How far the assay is from a standard curve. Also recomputes Total_Tubes.
enum class Completeness {
  Nothing_To_Enter,       // no standards or no tubes at all
  Conditions_Incomplete,  // a standard without concentration
  Standard_Not_Measured,  // the zero standard or a standard whose counts add up to 0
  Complete
};
Completeness assay_completeness(Assay_State& state);

// Runs the request `target` of the screen in Screen_No (or the wizard while it runs).
void Command_Exec(Program& program, int target);

// Enables or disables buttons 0..11 of Active_Screen by how complete the assay is, and closes
// the screens that can no longer be shown.
void Command_Enable(Program& program);

}  // namespace quorin
