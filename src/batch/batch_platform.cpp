#include "batch/batch_platform.h"

namespace quorin::batch {

void Batch_Platform::message(const std::string& text) {
  messages_.push_back(text);
  out_ << text << '\n' << std::flush;
}

bool Batch_Platform::ask_yes_no(const std::string& text) {
  out_ << text << " → いいえ\n" << std::flush;
  return false;
}

std::string Batch_Platform::next_answer() {
  if (answers_.empty()) return "";
  std::string answer = std::move(answers_.front());
  answers_.pop_front();
  return answer;
}

}  // namespace quorin::batch
