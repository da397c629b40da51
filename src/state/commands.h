#pragma once
// The requests of the screens' command buttons: a button's index is its target. The screens hand
// them to Program::command, which runs them through the navigation.

namespace quorin {

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

}  // namespace quorin
