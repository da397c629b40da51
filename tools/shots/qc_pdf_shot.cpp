// The printouts of the control-serum history and of the precision profile for the example
// assay, written to a PDF file: the control-serum table with its judgement, the Levey-Jennings
// chart of serum 1, or the precision profile.
//
//   ./build/release/qc_pdf_shot out.pdf HISTORY.sqlite [sera|chart|profile]
#include <string>

#include "qc/reg_profile.h"
#include "qc/reg_qc.h"
#include "results_assay.h"
#include "shot.h"

int main(int argc, char** argv) {
  const std::string history = argc > 2 ? argv[2] : "";
  const std::string page = argc > 3 ? argv[3] : "chart";
  return quorin::shots::run_pdf(argc, argv, [&](quorin::Program& program, quorin::ui::Scripted_Platform& platform) {
    program.qc_history.path = history;
    quorin::shots::run_example_wizard(program, platform);
    if (page == "sera") quorin::Command_Exec(program, quorin::target::Print);
    if (page == "chart") {
      quorin::Command_Exec(program, quorin::target::QC_Chart);
      if (auto* chart = program.screen_as<quorin::Reg_QC>(quorin::Screen::QC_Chart)) chart->Print.on_click();
    }
    if (page == "profile") {
      quorin::Command_Exec(program, quorin::target::Sample_Table);
      quorin::Command_Exec(program, quorin::target::Precision_Profile);
      if (auto* profile = program.screen_as<quorin::Reg_Profile>(quorin::Screen::Profile)) profile->Print.on_click();
    }
  });
}
