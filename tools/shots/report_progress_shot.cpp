// The progress of the whole report of the largest assay (100,000 samples of 10 tubes), printed
// from the results screen into a PDF file: a few seconds into the job the screen is saved with
// the progress dialog over the results screen, then the job is cancelled as a user would, and
// the shot checks that no PDF file is left. Run under a display (xvfb-run -a).
//
//   ./build/release/report_progress_shot out.png
#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <cstdio>
#include <filesystem>

#include "../../bench/bench_assay.h"
#include "engine/regression.h"
#include "navigation/navigation.h"
#include "results/reg_result.h"
#include "state/program.h"
#include "ui/qt/fonts.h"
#include "ui/qt/qt_printer.h"
#include "ui/qt/qt_progress.h"
#include "ui/qt/renderer.h"
#include "ui/scripted_platform.h"

namespace {

using namespace quorin;

// The screen's own progress dialog; after it has been up for a while the screen is saved and
// the job cancelled.
class Watched_Progress : public ui::Progress {
 public:
  Watched_Progress(std::string what, long planned, const char* png) : shown_(std::move(what), planned), png_(png) {}
  bool advance(long done) override {
    if (!shown_.advance(done)) return false;
    if (shown_.dialog() == nullptr) return true;
    if (!up_.isValid()) up_.start();
    if (up_.elapsed() < 3000) return true;
    QApplication::processEvents();
    const bool saved = QGuiApplication::primaryScreen()->grabWindow(0).save(png_);
    std::fprintf(stderr, "%s at page %ld\n", saved ? "saved" : "could not save", done);
    return false;
  }

 private:
  ui::qt::Qt_Progress shown_;
  const char* png_;
  QElapsedTimer up_;
};

class Platform : public ui::Scripted_Platform {
 public:
  explicit Platform(const char* png) : png_(png) {}
  ui::Printer& printer() override { return pdf; }
  std::unique_ptr<ui::Progress> start_progress(const std::string& what, long planned) override {
    std::fprintf(stderr, "%s: %ld pages planned\n", what.c_str(), planned);
    return std::make_unique<Watched_Progress>(what, planned, png_);
  }
  ui::qt::Qt_Printer pdf;

 private:
  const char* png_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
    return 2;
  }
  QApplication application(argc, argv);
  ui::qt::install_screen_font();
  Platform platform(argv[1]);
  const std::string pdf = (std::filesystem::temp_directory_path() / "quorin-progress-shot.pdf").string();
  platform.pdf.set_pdf_path(pdf);
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  Program program(platform);
  ui::qt::Renderer renderer(program.desktop, {});
  renderer.dispatch([&] {
    program.load(Screen::Conditions);
    Assay_State& s = program.state;
    bench::fill_largest_assay(s);
    Regression(s);
    s.Weight_Type = 3;
    s.Reg_Order = 3;
    s.Plot_Stage = Curve_Stage::Curves;
    program.show(Screen::Result);
    s.Screen_No = 4;
    Command_Exec(program, target::Sample_Table);
  });
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  auto& results = *program.screen_as<Reg_Result>(Screen::Result);
  renderer.dispatch([&] { results.Command[target::Whole_Report].on_click(); });
  for (const auto& message : platform.messages) std::fprintf(stderr, "message: %s\n", message.c_str());
  const bool left = std::filesystem::exists(pdf);
  std::fprintf(stderr, "PDF file %s\n", left ? "left behind" : "not written");
  return left ? 1 : 0;
}
