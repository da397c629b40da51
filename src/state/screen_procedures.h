#pragma once
// The screens and screen procedures the dispatcher and the wizard run, each provided by the
// folder of its subsystem (conditions/, data/, curve/, results/, help/).

#include <memory>
#include <string>
#include <vector>

#include "ui/form.h"

namespace quorin {

class Program;

// The screens, created on first show.
std::unique_ptr<ui::Form> Make_Reg_Set(Program& program);
std::unique_ptr<ui::Form> Make_Reg_Data(Program& program);
std::unique_ptr<ui::Form> Make_Reg_Graph(Program& program);
std::unique_ptr<ui::Form> Make_Reg_Result(Program& program);
std::unique_ptr<ui::Form> Make_Reg_Help(Program& program);
std::unique_ptr<ui::Form> Make_Reg_Model(Program& program);
std::unique_ptr<ui::Form> Make_Reg_QC(Program& program);
std::unique_ptr<ui::Form> Make_Reg_Profile(Program& program);

// The print procedures (X_PRT) each run one print job and tell the user how it ended.

// Conditions screen: load a condition file (a cancelled dialog or a refused file changes nothing
// but stopping the wizard; a file read closes the data sheet first); print the conditions; commit every box whose text
// has changed since its last commit, unless the user is still typing in it (run after every
// event, so that a box changed with the mouse alone, or left by turning to another window, is
// in force before anything uses the conditions).
void Condition_Load(Program& program);
void Set_PRT(Program& program);
void Commit_Changed_Conditions(Program& program);

// Data sheet (loaded by the caller): rebuild the sheet and its scratch file; load a count data file;
// print the sheet.
void Cell_Set(Program& program);
void Data_Load(Program& program);
void Data_PRT(Program& program);

// Standard-curve screen (loaded by the caller): the standard plot; the regression over the
// range boxes followed by the fitted curves; the wizard's curve step; the graph printout.
void Standard_Plotting(Program& program);
void Show_Fitted_Curves(Program& program);
void Wizard_Show_Curves(Program& program);
void Graph_PRT(Program& program);
// Run after every event: a drawing made from other standards, concentrations or another range than
// those in force is cleared, and the model screen, which compares the curves of that drawing, closed.
void Check_Graph(Program& program);

// Model screen (loaded by the caller): the comparison of the logit-log fit, the 4PL and the 5PL
// computed afresh and shown; its printout.
void Model_Disp(Program& program);
// Run after every event: an open model screen whose comparison was made from other standards, fits
// or choices than those in force is computed and shown afresh.
void Check_Model_Screen(Program& program);
void Model_PRT(Program& program);

// Results screen (loaded by the caller): the four tables, the result file, the printout, and
// the whole report (every printout of the assay as one job; report/).
void Standard_Disp(Program& program);
void STDCONC_Disp(Program& program);
void Sera_Disp(Program& program);
void Sample_Disp(Program& program);
void Result_Output(Program& program);
void Result_PRT(Program& program);
void Report_PRT(Program& program);
// Run after every event: a shown table computed from anything but the state in force is cleared.
void Check_Result_Table(Program& program);

// Control-serum history and precision: after the result file was saved, keep the assay's run in
// the history; the judgement of the assay's control sera by the rules (message when the table
// opens, lines for its printout); the Levey-Jennings chart (with the assay's own run when its
// control sera were computed) and the precision profile of the assay's samples.
void QC_Record_Run(Program& program, const std::string& result_file);
void QC_Verdict_Disp(Program& program);
std::vector<std::string> QC_Verdict_Lines(Program& program);
void Show_QC_Chart(Program& program, bool with_assay);
void Show_Precision_Profile(Program& program);
// Run after every event: an open chart or profile drawn from results that are no longer in force
// says so and offers to be drawn afresh.
void Check_QC_Windows(Program& program);

// The computations run before the tables and plots. The standard treatment runs afresh each
// time. The three that read concentrations off the curve run only when something they depend on
// has changed since they last ran (state/basis.h), so that showing, printing and saving their
// tables costs nothing more; they return false, after telling the user why, when the curve was
// fitted to other standards than those in force, the selected fit cannot be used, or (for the
// samples) there is no dilution factor: nothing is then changed and no table is shown.
void Run_Treatment_Standard(Program& program);
bool Run_Fitness_Examination(Program& program);
bool Run_Control_Sera(Program& program);
bool Run_Assay_Samples(Program& program);

}  // namespace quorin
