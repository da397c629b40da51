// The result printout of the example assay's samples (or another table, or the whole report of
// the results screen), written to a PDF file.
//
// With "hostile", the samples of hostile_samples.
//
//   ./build/release/results_pdf_shot out.pdf [stdconc|sera|sample|report] [hostile]
#include <string>

#include "results_assay.h"
#include "shot.h"

int main(int argc, char** argv) {
  const std::string table = argc > 2 ? argv[2] : "sample";
  return quorin::shots::run_pdf(argc, argv, [&](quorin::Program& program, quorin::ui::Scripted_Platform& platform) {
    quorin::shots::run_example_wizard(program, platform);
    if (argc > 3 && std::string(argv[3]) == "hostile") quorin::shots::hostile_samples(program);
    if (table == "stdconc") quorin::Command_Exec(program, quorin::target::Standard_Table);
    if (table == "sample") quorin::Command_Exec(program, quorin::target::Sample_Table);
    quorin::Command_Exec(program, table == "report" ? quorin::target::Whole_Report : quorin::target::Print);
  });
}
