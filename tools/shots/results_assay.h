#pragma once
// The shipped example assay taken through the wizard to the results screen, as a user does:
// the condition file and the count data file are chosen in the two dialogs. The data sheet's
// scratch file goes to the temporary folder.

#include <filesystem>

#include "graph/reg_graph.h"
#include "navigation/navigation.h"
#include "state/program.h"
#include "ui/scripted_platform.h"

namespace quorin::shots {

inline void run_example_wizard(Program& program, ui::Scripted_Platform& platform) {
  // Found from the source folder, whatever the working folder the program was started in.
  const std::filesystem::path examples = std::filesystem::path(QUORIN_SOURCE_DIR) / "examples";
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  platform.file_answers = {(examples / "cortisol.crx").string(), (examples / "cortisol_counts.txt").string()};
  program.show(Screen::Conditions);
  program.state.Screen_No = 1;
  program.state.Wizard_Mode = Wizard::Running;
  Command_Exec(program, target::Open_File);
  program.state.Screen_No = 4;
}

// Samples a lab worker may bring: sample 1 with an identifier of 64 characters, sample 2 with a
// Japanese one of 30, sample 3 counted above the zero standard (no concentration can be read).
inline void hostile_samples(Program& program) {
  program.state.Sample_Id = {"", "LAB-2026-12-01-CORTISOL-MORNING-SERUM-WARD7-BED-12-SAMPLE-000001",
                             "内科外来午前採血コルチゾール検体番号第一二三四五六七八九〇号"};
  program.state.Sample_Count(3, 1) = 15000, program.state.Sample_Count(3, 2) = 15100;
}

// Chooses the cubic without weighting on the curve screen, as a click on its choice does: the
// windows drawn from the results before then are out of date.
inline void choose_other_fit(Program& program) {
  if (auto* graph = program.screen_as<Reg_Graph>(Screen::Graph)) graph->Choice[1].on_click();
}

}  // namespace quorin::shots
