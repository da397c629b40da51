#pragma once
// The services of the window system that the program calls: message boxes, file dialogs, the
// printer setup dialog, the printer itself, the progress of long jobs, and letting pending
// events be drawn.

#include <memory>
#include <string>
#include <vector>

#include "ui/printer.h"

namespace quorin::ui {

struct File_Dialog {
  std::string title;              // may be empty
  std::string filter;             // "条件(*.crx)|*.crx": description, "|", pattern
  std::string default_extension;  // "crx", added when the chosen name has none
  bool confirm_overwrite = true;  // a save dialog asks before an existing file is chosen
};

class Platform {
 public:
  virtual ~Platform() = default;
  // Information box with an OK button; returns when the user has closed it.
  virtual void message(const std::string& text) = 0;
  // The same box for a warning: what the user asked for was done, and this is worth knowing
  // about it (a message, by contrast, may say that it was refused).
  virtual void warning(const std::string& text) { message(text); }
  // Question with Yes and No; true for Yes.
  virtual bool ask_yes_no(const std::string& text) = 0;
  // The same question where Yes deletes or replaces a record: No is the answer that Enter gives.
  virtual bool ask_yes_no_default_no(const std::string& text) { return ask_yes_no(text); }
  // Question with one button for each answer; the index of the answer chosen, or -1 when the
  // user closed the box. A platform with no such box asks Yes/No, Yes taking the first answer.
  virtual int choose(const std::string& text, const std::vector<std::string>& answers) {
    (void)answers;
    return ask_yes_no(text) ? 0 : -1;
  }
  // The chosen file's full path, or "" when the user cancelled.
  virtual std::string open_file(const File_Dialog& dialog) = 0;
  virtual std::string save_file(const File_Dialog& dialog) = 0;
  virtual void printer_setup() = 0;
  virtual Printer& printer() = 0;
  // Lets the window system draw what has changed before a long step goes on.
  virtual void process_events() = 0;
  // Follows a print job of `planned` pages: what it does and the pages done are shown, with a
  // way to cancel, once the job has taken about a second. Ends when the object goes; nullptr
  // where progress cannot be shown.
  virtual std::unique_ptr<Progress> start_progress(const std::string& what, long planned) = 0;
  // Ends the program (after the current event).
  virtual void quit() = 0;
};

}  // namespace quorin::ui
