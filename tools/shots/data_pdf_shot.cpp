// The data printout of a 51-row assay (a full page and a page of one row), written to a PDF file.
//
//   ./build/release/data_pdf_shot out.pdf
#include "data_assay.h"
#include "navigation/navigation.h"
#include "shot.h"

int main(int argc, char** argv) {
  return quorin::shots::run_pdf(argc, argv, [](quorin::Program& program, quorin::ui::Scripted_Platform&) {
    quorin::shots::fill_assay(program.state, 5, 3, 2, 7);  // 24 + 6 + 21 = 51 rows
    program.state.Screen_No = 1;
    quorin::Command_Exec(program, quorin::target::Data_Sheet);
    program.state.Screen_No = 2;
    quorin::Command_Exec(program, quorin::target::Print);
  });
}
