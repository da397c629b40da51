#pragma once
// The platform services on Qt: message boxes, file dialogs, the printer dialog and the printer.

#include "ui/platform.h"
#include "ui/qt/qt_printer.h"

namespace quorin::ui::qt {

class Renderer;

class Qt_Platform : public Platform {
 public:
  void set_renderer(Renderer* renderer) { renderer_ = renderer; }
  void message(const std::string& text) override;
  bool ask_yes_no(const std::string& text) override;
  bool ask_yes_no_default_no(const std::string& text) override;
  int choose(const std::string& text, const std::vector<std::string>& answers) override;
  std::string open_file(const File_Dialog& dialog) override;
  std::string save_file(const File_Dialog& dialog) override;
  void printer_setup() override;
  Printer& printer() override { return printer_; }
  void process_events() override;
  void quit() override;
  std::unique_ptr<Progress> start_progress(const std::string& what, long planned) override;

 private:
  void draw_pending();
  Renderer* renderer_ = nullptr;
  Qt_Printer printer_;
};

// "条件(*.crx)|*.crx" as a Qt file-dialog filter: "条件(*.crx) (*.crx)".
QString qt_filter(const std::string& filter);

}  // namespace quorin::ui::qt
