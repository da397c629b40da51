// The conditions printout of a twenty-standard assay, written to a PDF file.
//
//   ./build/release/conditions_pdf_shot out.pdf
#include "conditions_filled.h"
#include "navigation/navigation.h"
#include "shot.h"

int main(int argc, char** argv) {
  return quorin::shots::run_pdf(argc, argv, [](quorin::Program& program, quorin::ui::Scripted_Platform&) {
    quorin::shots::fill_conditions(program);
    program.state.Screen_No = 1;
    quorin::Command_Exec(program, quorin::target::Print);
  });
}
