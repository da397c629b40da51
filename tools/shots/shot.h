#pragma once
// Screenshots of the program's screens for the developer's eye: a scene function brings the
// program into the state to look at (through the screens' own events), then the front window
// is saved as a PNG. Runs without a display (QT_QPA_PLATFORM=offscreen is set when none is).
//
//   ./build/release/<name>_shot out.png

#include <functional>

#include "state/program.h"
#include "ui/scripted_platform.h"

namespace quorin::shots {

// Runs the scene on a scripted platform (dialog answers can be queued by the scene) with the
// real renderer and saves the front window to argv[1]. Returns the process exit status.
int run(int argc, char** argv, const std::function<void(Program&, ui::Scripted_Platform&)>& scene);

// Runs the scene on a scripted platform whose printer writes the PDF file argv[1] (every
// document of a job a page of it); the scene prints through the program as a user would.
// Shows the messages on standard error; fails when the printer reported a failure.
int run_pdf(int argc, char** argv, const std::function<void(Program&, ui::Scripted_Platform&)>& scene);

}  // namespace quorin::shots
