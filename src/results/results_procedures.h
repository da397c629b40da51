#pragma once
// The results screen's procedures, as the navigation runs them.
#include <memory>
#include <string>

#include "text/text_file.h"
#include "ui/form.h"

namespace quorin {

class Program;

std::unique_ptr<ui::Form> Make_Reg_Result(Program& program);

// Results screen (loaded by the caller): the four tables, the result file (true once it has
// been saved, its run kept in the control-serum history), the printout, and the whole report
// (every printout of the assay as one job; report/).
void Standard_Disp(Program& program);
void STDCONC_Disp(Program& program);
void Sera_Disp(Program& program);
void Sample_Disp(Program& program);
bool Result_Output(Program& program);
// The result file of the tables in force (brought up to date first by the caller) written to
// `path`, and the run kept in the control-serum history; false, with the reason told, when the
// file could not be written.
bool Save_Result_File(Program& program, const std::string& path);
// The same save in two steps: the file's bytes are written beside `path` first (a failure is told
// at once and ready() is false), and put_in_place() puts them there and keeps the run. The batch
// writes its other outputs in between, so that none is written when the result file cannot be.
class Result_File_Draft {
 public:
  Result_File_Draft(Program& program, const std::string& path);
  bool ready() const { return ready_; }
  bool put_in_place();

 private:
  Program& program_;
  text::Atomic_File file_;
  bool ready_ = false;
};
void Result_PRT(Program& program);
// The results of the three tables, brought up to date, saved for a spreadsheet as CSV or as an
// Excel workbook (results/result_export.h) under a name the user picks.
void Result_Export_CSV(Program& program);
void Result_Export_XLSX(Program& program);
// Run after every event: a shown table computed from anything but the state in force is cleared.
void Check_Result_Table(Program& program);

}  // namespace quorin
