#pragma once
// A platform for tests and for running the screens without a window system: dialog answers are
// queued beforehand, every message and dialog shown is logged.

#include <deque>
#include <string>
#include <vector>

#include "ui/platform.h"
#include "ui/recording_printer.h"

namespace quorin::ui {

class Scripted_Platform : public Platform {
 public:
  void message(const std::string& text) override { messages.push_back(text); }
  void warning(const std::string& text) override {
    ++warnings;
    message(text);
  }
  bool ask_yes_no(const std::string& text) override;
  // Logged as the question followed by " [既定: いいえ]".
  bool ask_yes_no_default_no(const std::string& text) override { return ask_yes_no(text + " [既定: いいえ]"); }
  int choose(const std::string& text, const std::vector<std::string>& answers) override;
  std::string open_file(const File_Dialog& dialog) override;
  std::string save_file(const File_Dialog& dialog) override;
  void printer_setup() override { ++printer_setups; }
  Printer& printer() override { return recorder; }
  void process_events() override { ++events_processed; }
  void quit() override { quit_requested = true; }
  std::unique_ptr<Progress> start_progress(const std::string& what, long planned) override;

  // Answers given in order; an empty queue answers No and cancels file dialogs.
  std::deque<bool> yes_no_answers;
  std::deque<std::string> file_answers;
  std::deque<int> choices;  // answers to choose(); an empty queue closes the box (-1)

  std::vector<std::string> messages;   // information boxes, in order, the warnings among them
  std::size_t warnings = 0;            // how many of them were warnings
  std::vector<std::string> questions;  // Yes/No questions and choices, in order
  std::vector<File_Dialog> dialogs;    // file dialogs, in order
  std::vector<bool> dialog_was_save;   // parallel to dialogs
  // Every progress started: what it followed, the steps planned and the last step reported.
  struct Progress_Record {
    std::string what;
    long planned = 0, done = 0;
  };
  std::vector<Progress_Record> progresses;
  long cancel_at_step = 0;  // the user cancels when this step is reported (0: never)
  int printer_setups = 0;
  int events_processed = 0;
  bool quit_requested = false;
  Recording_Printer recorder;

 private:
  std::string next_file(const File_Dialog& dialog, bool save);
};

}  // namespace quorin::ui
