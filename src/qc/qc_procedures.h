#pragma once
// The procedures of the control-serum history, the control chart and the precision profile.
#include <memory>
#include <string>
#include <vector>
#include "ui/form.h"

namespace quorin {

class Program;

std::unique_ptr<ui::Form> Make_Reg_QC(Program& program);
std::unique_ptr<ui::Form> Make_Reg_Profile(Program& program);

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

}  // namespace quorin
