// QUORIN: data reduction of competitive radioassays. Without arguments it opens the screens;
// "--batch" reduces one assay from the command line, "--qc-export" writes the control-serum
// history as CSV, "--help" explains how and "--version" tells the version. Only the screens and
// a batch run with a report start Qt.

#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_options.h"
#include "batch/lis_tools.h"
#include "batch/qc_tools.h"
#include "batch/run_batch.h"
#include "qc/qc_export.h"
#include "qc/qc_history.h"
#include "state/program.h"
#include "text/run_folder.h"
#include "ui/qt/fonts.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/qt_printer.h"
#include "ui/qt/renderer.h"
#include "ui/qt/translations.h"
#include "ui/recording_printer.h"

namespace {

bool has_display(const std::vector<std::string>& arguments) {
  return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr ||
         std::getenv("QT_QPA_PLATFORM") != nullptr ||
         std::find(arguments.begin(), arguments.end(), "-platform") != arguments.end();
}

// The screens keep the control-serum history in the file given, else in the user's default one.
int run_screens(int argc, char** argv, const std::string& history) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("QUORIN");
  QApplication::setApplicationVersion(QUORIN_VERSION);
  QApplication::setDesktopFileName("quorin");
  QApplication::setWindowIcon(QIcon::fromTheme("quorin"));
  quorin::ui::qt::install_screen_font();
  quorin::ui::qt::install_qt_translations();

  quorin::ui::qt::Qt_Platform platform;
  quorin::Program program(platform);
  program.qc_history.path = history.empty() ? quorin::qc::default_history_path() : history;
  quorin::ui::qt::Renderer renderer(program.desktop, [&] {
    if (program.ended()) QApplication::exit(0);
  });
  platform.set_renderer(&renderer);

  renderer.dispatch([&] { program.start(); });
  return QApplication::exec();
}

// Without a report nothing is printed, so no window system is needed at all.
int run_batch_without_report(const quorin::batch::Batch_Options& options) {
  quorin::ui::Recording_Printer unused;
  quorin::batch::Batch_Platform platform(unused, std::cerr);
  return quorin::batch::run_batch(options, platform);
}

// Qt keeps files of its own in the user's runtime folder, and makes "runtime-<user>" in the
// temporary folder where the session names none. A run with no such folder lends Qt one of its own,
// removed when the run ends (or by a later run, when this one is killed).
class Runtime_Folder_Lent {
 public:
  Runtime_Folder_Lent() {
    if (const char* given = std::getenv("XDG_RUNTIME_DIR"); given != nullptr && *given != '\0') return;
    folder_.emplace("quorin-run");
    if (!folder_->path().empty()) setenv("XDG_RUNTIME_DIR", folder_->path().c_str(), 1);
  }

 private:
  std::optional<quorin::text::Run_Folder> folder_;
};

// The report is painted by Qt with the screens' font, which needs the application: always off
// screen, so that a display named but not there (DISPLAY, QT_QPA_PLATFORM=xcb) stops nothing.
int run_batch_with_report(const quorin::batch::Batch_Options& options, int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const Runtime_Folder_Lent runtime_folder;
  // Qt's own notes (a missing runtime folder, say) would bury the run's messages; its errors stay.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << text.toStdString() << '\n';
  });
  QApplication application(argc, argv);
  QApplication::setApplicationName("QUORIN");
  quorin::ui::qt::install_screen_font();

  quorin::ui::qt::Qt_Printer printer;
  printer.set_pdf_path(options.pdf);
  quorin::batch::Batch_Platform platform(printer, std::cerr, isatty(STDERR_FILENO) == 1);
  return quorin::batch::run_batch(options, platform);
}

}  // namespace

int main(int argc, char** argv) {
  using quorin::batch::Command_Line;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const Command_Line line = quorin::batch::parse_command_line(arguments);
  // A closed standard output or error (a pipe whose reader has gone) never ends a command-line run:
  // writes to it fail, and the stream stays silent from then on.
  if (line.kind != Command_Line::Kind::Screens) std::signal(SIGPIPE, SIG_IGN);
  switch (line.kind) {
    case Command_Line::Kind::Screens:
      if (!has_display(arguments)) {
        std::cerr << "画面を表示できません (ディスプレイがありません)\n"
                     "画面を使わずに処理するには quorin --batch を使ってください (quorin --help)\n";
        return quorin::batch::Exit_Failed;
      }
      return run_screens(argc, argv, quorin::batch::with_absolute_paths(line.options).qc);
    case Command_Line::Kind::QC_Export: {
      const auto written = quorin::qc::export_history(line.options.qc, line.options.export_csv);
      std::cerr << written.message << '\n';
      using Kind = quorin::qc::Export_Result::Kind;
      return written.kind == Kind::Written  ? quorin::batch::Exit_Done
             : written.kind == Kind::Failed ? quorin::batch::Exit_Failed
                                            : quorin::batch::Exit_Usage;
    }
    case Command_Line::Kind::QC_Tool: return quorin::batch::run_qc_tool(line.tool, std::cin, std::cout, std::cerr);
    case Command_Line::Kind::LIS_Sync: return quorin::batch::run_lis_sync(line.lis_link, std::cerr);
    case Command_Line::Kind::Help: std::cout << quorin::batch::usage_text(); return quorin::batch::Exit_Done;
    case Command_Line::Kind::Version: std::cout << "quorin " QUORIN_VERSION "\n"; return quorin::batch::Exit_Done;
    case Command_Line::Kind::Error:
      std::cerr << line.error << "\n\n" << quorin::batch::usage_text();
      return quorin::batch::Exit_Usage;
    case Command_Line::Kind::Batch: break;
  }
  const quorin::batch::Batch_Options options = quorin::batch::with_absolute_paths(line.options);
  if (options.pdf.empty()) return run_batch_without_report(options);
  // Qt's own arguments have no place on a batch command line.
  int qt_argc = 1;
  return run_batch_with_report(options, qt_argc, argv);
}
