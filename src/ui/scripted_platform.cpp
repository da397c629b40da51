#include "ui/scripted_platform.h"

namespace quorin::ui {

namespace {
class Scripted_Progress : public Progress {
 public:
  Scripted_Progress(Scripted_Platform& platform, std::size_t index) : platform_(platform), index_(index) {}
  bool advance(long done) override {
    platform_.progresses[index_].done = done;
    return done != platform_.cancel_at_step;
  }

 private:
  Scripted_Platform& platform_;
  std::size_t index_;
};
}  // namespace

std::unique_ptr<Progress> Scripted_Platform::start_progress(const std::string& what, long planned) {
  progresses.push_back({what, planned, 0});
  return std::make_unique<Scripted_Progress>(*this, progresses.size() - 1);
}

bool Scripted_Platform::ask_yes_no(const std::string& text) {
  questions.push_back(text);
  if (yes_no_answers.empty()) return false;
  const bool answer = yes_no_answers.front();
  yes_no_answers.pop_front();
  return answer;
}

int Scripted_Platform::choose(const std::string& text, const std::vector<std::string>& answers) {
  std::string asked = text;
  for (const std::string& answer : answers) asked += " [" + answer + "]";
  questions.push_back(asked);
  if (choices.empty()) return -1;
  const int answer = choices.front();
  choices.pop_front();
  return answer;
}

std::string Scripted_Platform::next_file(const File_Dialog& dialog, bool save) {
  dialogs.push_back(dialog);
  dialog_was_save.push_back(save);
  if (file_answers.empty()) return "";
  std::string answer = file_answers.front();
  file_answers.pop_front();
  return answer;
}

std::string Scripted_Platform::open_file(const File_Dialog& dialog) { return next_file(dialog, false); }
std::string Scripted_Platform::save_file(const File_Dialog& dialog) { return next_file(dialog, true); }

}  // namespace quorin::ui
