#pragma once
// The platform of a batch run: no window system. A run names its files on the command line, so a
// file dialog is cancelled; questions are answered No, every message and question is written to
// a stream (standard error) and kept, printing goes to the printer given, and the progress of a
// long print job is shown on the stream when it is a terminal.

#include <ostream>
#include <string>
#include <vector>

#include "ui/platform.h"

namespace quorin::batch {

class Batch_Platform : public ui::Platform {
 public:
  // `terminal`: the stream is a terminal, where a line of progress can be redrawn in place.
  Batch_Platform(ui::Printer& printer, std::ostream& out, bool terminal = false)
      : printer_(printer), out_(out), terminal_(terminal) {}

  void message(const std::string& text) override;
  bool ask_yes_no(const std::string& text) override;
  std::string open_file(const ui::File_Dialog&) override { return ""; }
  std::string save_file(const ui::File_Dialog&) override { return ""; }
  void printer_setup() override {}
  ui::Printer& printer() override { return printer_; }
  void process_events() override {}
  void quit() override {}
  std::unique_ptr<ui::Progress> start_progress(const std::string& what, long planned) override;

  // Every message shown so far, in order.
  const std::vector<std::string>& messages() const { return messages_; }

 private:
  ui::Printer& printer_;
  std::ostream& out_;
  bool terminal_;
  std::vector<std::string> messages_;
};

}  // namespace quorin::batch
