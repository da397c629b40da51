// The whole screen of a display (Xvfb at 1366×768, say) as a user sees the program there: the
// example assay after the wizard, then a scene whose buttons are pressed through their widgets,
// so that the windows stand where the renderer places them.
//
//   DISPLAY=:37 ./build/release/desktop_shot out.png ids|stale|qc|dialog [HISTORY.sqlite]
//
// "ids": the sample table right after ID読込 on the data sheet; "stale": the curve screen once a
// standard's count was changed on the data sheet; "qc": the control chart opened from the results
// screen, beside it; "dialog": the program's open dialog on the examples' folder.
#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "data/reg_data.h"
#include "graph/reg_graph.h"
#include "results/reg_result.h"
#include "results_assay.h"
#include "ui/qt/file_dialog.h"
#include "ui/qt/fonts.h"
#include "ui/qt/renderer.h"
#include "ui/qt/translations.h"

namespace {

void settle() {
  for (int i = 0; i < 20; ++i) {
    QApplication::processEvents();
    QThread::msleep(10);
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quorin;
  if (argc < 3 || std::getenv("DISPLAY") == nullptr) {
    std::fprintf(stderr, "usage: DISPLAY=:N %s OUT.png ids|stale|qc|dialog [HISTORY.sqlite]\n", argv[0]);
    return 2;
  }
  const std::string scene = argv[2];
  QApplication application(argc, argv);
  ui::qt::install_screen_font();
  ui::qt::install_qt_translations();
  ui::Scripted_Platform platform;
  Program program(platform);
  program.qc_history.path = argc > 3 ? std::filesystem::absolute(argv[3]).string() : "";
  ui::qt::Renderer renderer(program.desktop, {});
  auto press = [&](ui::Control& control) {
    static_cast<QPushButton*>(renderer.widget_of(control))->click();
    settle();
  };
  renderer.dispatch([&] { shots::run_example_wizard(program, platform); });
  settle();
  auto& results = *program.screen_as<Reg_Result>(Screen::Result);

  if (scene == "ids") {
    press(results.Command[target::Sample_Table]);
    press(results.Command[target::Data_Sheet]);
    const std::string ids = (std::filesystem::temp_directory_path() / "desktop_shot_ids.txt").string();
    std::ofstream list(ids, std::ios::binary);
    for (int i = 1; i <= 50; ++i) list << "K-26-" << 1000 + i << "\r\n";
    list.close();
    platform.file_answers = {ids};
    press(program.screen_as<Reg_Data>(Screen::Data)->Lab_File[1]);
    renderer.dispatch([&] { program.desktop.show(results); });  // the user turns to the table
  } else if (scene == "stale") {
    press(results.Command[target::Data_Sheet]);
    auto& sheet = *program.screen_as<Reg_Data>(Screen::Data);
    renderer.dispatch([&] {
      sheet.Label1[3 * Reg_Data::Page_Rows + 7].on_click();  // row 8: standard 1's second tube
      sheet.Text1.on_key_down('9', 0);                       // typing begins
      sheet.Text1.set_text("9000");
      sheet.Text1.on_key_down(ui::Key_Return, 0);
    });
    renderer.dispatch([&] { program.desktop.show(*program.screen(Screen::Graph)); });
  } else if (scene == "qc") {
    press(results.Command[target::QC_Chart]);
  } else if (scene == "dialog") {
    QFileDialog dialog(nullptr, "データファイルを開く", QUORIN_SOURCE_DIR "/examples", "ﾃｷｽﾄ (*.txt)");
    dialog.setViewMode(QFileDialog::Detail);
    QTimer::singleShot(1500, [&] {
      QGuiApplication::primaryScreen()->grabWindow(0).save(argv[1]);
      dialog.reject();
    });
    ui::qt::run_file_dialog(dialog);
    return 0;
  }
  settle();
  for (const auto& message : platform.messages) std::fprintf(stderr, "message: %s\n", message.c_str());
  if (!QGuiApplication::primaryScreen()->grabWindow(0).save(argv[1])) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
