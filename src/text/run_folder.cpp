#include "text/run_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace quorin::text {

namespace {

namespace fs = std::filesystem;

constexpr const char* Lock_Name = ".lock";
// A folder younger than this may belong to a run that has made it but not yet locked it.
constexpr auto Settling_Time = std::chrono::minutes(1);

fs::path temporary_folder() {
  std::error_code error;
  fs::path folder = fs::temp_directory_path(error);
  return error ? fs::path("/tmp") : folder;
}

// The lock of a folder whose run has gone can be taken at once; it is released on return.
bool abandoned(const fs::path& folder) {
  const int lock = ::open((folder / Lock_Name).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (lock < 0) return false;
  const bool free = ::flock(lock, LOCK_EX | LOCK_NB) == 0;
  ::close(lock);
  return free;
}

}  // namespace

void remove_abandoned_run_folders(const std::string& prefix) {
  std::error_code error;
  const auto oldest = std::chrono::system_clock::now() - Settling_Time;
  for (const auto& entry : fs::directory_iterator(temporary_folder(), error)) {
    const std::string name = entry.path().filename().string();
    struct stat info {};
    if (!name.starts_with(prefix + "-") || ::lstat(entry.path().c_str(), &info) != 0) continue;
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) continue;
    if (std::chrono::system_clock::from_time_t(info.st_mtime) > oldest) continue;
    std::error_code ignored;
    if (abandoned(entry.path())) {
      fs::remove_all(entry.path(), ignored);
    } else if (!fs::exists(entry.path() / Lock_Name, ignored)) {
      ::rmdir(entry.path().c_str());  // only when empty: a run of an earlier version may still use it
    }
  }
}

Run_Folder::Run_Folder(const std::string& prefix) {
  remove_abandoned_run_folders(prefix);
  std::string folder = (temporary_folder() / (prefix + "-XXXXXX")).string();
  if (::mkdtemp(folder.data()) == nullptr) return;
  lock_ = ::open((fs::path(folder) / Lock_Name).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (lock_ < 0 || ::flock(lock_, LOCK_EX) != 0) {
    if (lock_ >= 0) ::close(lock_);
    lock_ = -1;
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return;
  }
  path_ = folder;
}

Run_Folder::~Run_Folder() {
  if (path_.empty()) return;
  std::error_code ignored;
  fs::remove_all(path_, ignored);
  ::close(lock_);
}

}  // namespace quorin::text
