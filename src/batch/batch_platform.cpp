#include "batch/batch_platform.h"

#include <chrono>

namespace quorin::batch {

namespace {

// One line of progress redrawn in place ("印刷しています 1200 / 45000 ページ"), from about a second
// into the job and at most five times a second; the line is ended when the job ends.
class Terminal_Progress : public ui::Progress {
 public:
  Terminal_Progress(std::ostream& out, std::string what, long planned)
      : out_(out), what_(std::move(what)), planned_(planned), started_(Clock::now()) {}
  ~Terminal_Progress() override {
    if (drawn_) out_ << '\n' << std::flush;
  }
  Terminal_Progress(const Terminal_Progress&) = delete;
  Terminal_Progress& operator=(const Terminal_Progress&) = delete;

  bool advance(long done) override {
    const auto now = Clock::now();
    if (now - started_ < std::chrono::seconds(1)) return true;
    if (drawn_ && now - drawn_at_ < std::chrono::milliseconds(200) && done != planned_) return true;
    out_ << '\r' << what_ << ' ' << done << " / " << planned_ << " ページ" << std::flush;
    drawn_ = true;
    drawn_at_ = now;
    return true;
  }

 private:
  using Clock = std::chrono::steady_clock;
  std::ostream& out_;
  std::string what_;
  long planned_;
  Clock::time_point started_, drawn_at_;
  bool drawn_ = false;
};

}  // namespace

void Batch_Platform::message(const std::string& text) {
  messages_.push_back(text);
  out_ << text << '\n' << std::flush;
}

bool Batch_Platform::ask_yes_no(const std::string& text) {
  out_ << text << " → いいえ\n" << std::flush;
  return false;
}

std::unique_ptr<ui::Progress> Batch_Platform::start_progress(const std::string& what, long planned) {
  if (!terminal_) return nullptr;
  return std::make_unique<Terminal_Progress>(out_, what, planned);
}

}  // namespace quorin::batch
