#pragma once
// The data sheet's procedures, as the navigation runs them.
#include <memory>
#include <string>
#include "ui/form.h"

namespace quorin {

class Program;

std::unique_ptr<ui::Form> Make_Reg_Data(Program& program);
// The columns dialog of a counter's export (data/reg_columns.h).
std::unique_ptr<ui::Form> Make_Reg_Columns(Program& program);

// Data sheet (loaded by the caller): rebuild the sheet and its scratch file; load a count data file;
// print the sheet.
void Cell_Set(Program& program);
void Data_Load(Program& program);
// Loads a counter's export (data/counter_export.h) with the columns in force (Count_Column,
// Count_Id_Column) as Data_Load loads a count file, its identifiers becoming the samples'. False,
// after telling why, when nothing was loaded.
bool Counter_Load(Program& program, const std::string& path);
// Asks for a counter's export, then for its columns (Reg_Columns), and loads it.
void Counter_Open(Program& program);
// Asks for a list of sample identifiers and loads it (data/sample_ids.h).
void Ids_Load(Program& program);
void Data_PRT(Program& program);

// Whether the counts of the sheet may be discarded: true when no count typed, inserted or deleted
// on the data sheet waits unsaved (a count still in the sheet's editor is taken first), or when
// the user agrees to discard them. Asked before anything replaces the counts or ends the program;
// "いいえ" leaves everything as it was.
bool May_Discard_Count_Edits(Program& program);

// The standard treatment, run afresh before the standard plot and the fitted curves.
void Run_Treatment_Standard(Program& program);

}  // namespace quorin
