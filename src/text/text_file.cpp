#include "text/text_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "text/cp932.h"
#include "text/same_file.h"

namespace quorin::text {

std::string system_reason(int error) {
  switch (error) {
    case ENOENT: return "ファイルまたはフォルダがありません";
    case EACCES:
    case EPERM: return "アクセスが拒否されました";
    case EISDIR: return "フォルダです";
    case ENOTDIR: return "フォルダではありません";
    case ENOSPC: return "ディスクの空きがありません";
    case EDQUOT: return "ディスクの割り当てを超えました";
    case EFBIG: return "ファイルが大きすぎます";
    case EROFS: return "読み取り専用の場所です";
    case EIO: return "入出力エラー";
    case ENAMETOOLONG: return "ファイル名が長すぎます";
    default: return std::strerror(error);
  }
}

namespace {

// Why a device, a pipe or a socket is neither read nor replaced.
constexpr const char* Not_Regular = "通常のファイルではありません";
// Why a file that may not be written is not replaced.
constexpr const char* Write_Protected = "書き込みが許可されていません";

std::string open_failed(const std::string& path, int error) {
  return "ファイルを開けません: " + path + " (" + system_reason(error) + ")";
}

bool write_all(int fd, std::string_view bytes) {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// Makes a rename in the folder durable (best effort: some file systems refuse fsync on a folder).
void sync_folder(const std::string& folder) {
  const int folder_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd >= 0) {
    ::fsync(folder_fd);
    ::close(folder_fd);
  }
}

// A temporary name beside the target: the target's name and the suffix, the name shortened as
// needed so that the temporary name is no longer than the system allows whenever the target's is.
std::string temporary_name(const std::string& target, const std::string& suffix) {
  const std::size_t slash = target.find_last_of('/');
  const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t room = NAME_MAX - suffix.size();
  return target.substr(0, name_start) + target.substr(name_start, room) + suffix;
}

mode_t default_file_mode() {
  // The mode a newly created file gets: 0666 less the process's umask.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

Termination_Held::Termination_Held() {
  sigset_t held;
  ::sigemptyset(&held);
  for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGXFSZ}) ::sigaddset(&held, signal);
  ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

Termination_Held::~Termination_Held() {
  sigset_t file_size;
  ::sigemptyset(&file_size);
  ::sigaddset(&file_size, SIGXFSZ);
  const timespec no_wait{};
  while (::sigtimedwait(&file_size, nullptr, &no_wait) == SIGXFSZ) {}
  ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

File_Reader::File_Reader(const std::string& path, std::size_t max_bytes) : path_(path), max_bytes_(max_bytes) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) {
    failure_ = open_failed(path, errno);
    return;
  }
  struct stat info {};
  if (::fstat(fd_, &info) != 0) {
    failure_ = open_failed(path, errno);
  } else if (S_ISDIR(info.st_mode)) {
    failure_ = open_failed(path, EISDIR);
  } else if (!S_ISREG(info.st_mode)) {
    failure_ = "ファイルを開けません: " + path + " (" + Not_Regular + ")";
  } else if (static_cast<unsigned long long>(info.st_size) > max_bytes) {
    failure_ = "ファイルが大きすぎます: " + path;
  } else {
    size_hint_ = static_cast<std::size_t>(info.st_size);
  }
}

File_Reader::~File_Reader() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t File_Reader::read(char* into, std::size_t room) {
  if (!failure_.empty() || room == 0) return 0;
  for (;;) {
    const ssize_t n = ::read(fd_, into, room);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      failure_ = open_failed(path_, errno);
      return 0;
    }
    done_ += static_cast<std::size_t>(n);
    if (done_ > max_bytes_) {  // the file grew while it was read
      failure_ = "ファイルが大きすぎます: " + path_;
      return 0;
    }
    return static_cast<std::size_t>(n);
  }
}

File_Read read_file(const std::string& path, std::size_t max_bytes) {
  File_Read result;
  File_Reader file(path, max_bytes);
  // The size is a hint only (files of /proc report 0, a file may grow while it is read).
  std::string bytes(file.failure().empty() ? file.size_hint() + 1 : 0, '\0');
  std::size_t done = 0;
  while (file.failure().empty()) {
    if (done == bytes.size()) bytes.resize(bytes.size() < 4096 ? 4096 : bytes.size() * 2);
    const std::size_t n = file.read(bytes.data() + done, bytes.size() - done);
    if (n == 0) break;
    done += n;
  }
  if (!file.failure().empty()) {
    result.message = file.failure();
    return result;
  }
  bytes.resize(done);
  result.ok = true;
  result.bytes = std::move(bytes);
  return result;
}

bool looks_binary(std::string_view bytes) {
  if (bytes.empty()) return false;
  if (std::memchr(bytes.data(), '\0', bytes.size()) != nullptr) return true;
  std::size_t controls = 0;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if ((b < 0x20 && b != '\t' && b != '\r' && b != '\n' && b != 0x1A && b != '\f') || b == 0x7F) ++controls;
  }
  // Text files of the program hold no such bytes; a few may come from a stray key, more than
  // one in ten bytes (and at least two) means the file is not text.
  return controls >= 2 && controls * 10 > bytes.size();
}

std::string save_file(const std::string& path, std::string_view bytes) {
  Atomic_File file(path);
  file.write(bytes);
  return file.commit();
}

Atomic_File::Atomic_File(std::string path, Temporary_Way way) : path_(std::move(path)), target_(path_) {
  if (path_.empty()) {
    fail(ENOENT);
    return;
  }
  // Saving through a symbolic link replaces or makes the file it points to, not the link.
  target_ = written_path(path_);
  struct stat old_info {};
  const bool exists = ::stat(target_.c_str(), &old_info) == 0;
  if (exists && S_ISDIR(old_info.st_mode)) {
    fail(EISDIR);
    return;
  }
  // A device, a pipe or a socket would be replaced by a plain file (root may create files in /dev).
  if (exists && !S_ISREG(old_info.st_mode)) {
    reason_ = Not_Regular;
    return;
  }
  // A write-protected file is not replaced, even where the folder would allow it (and for root).
  if (exists && ((old_info.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0)) {
    reason_ = Write_Protected;
    return;
  }
  const std::size_t slash = target_.find_last_of('/');
  folder_ = slash == std::string::npos ? "." : slash == 0 ? "/" : target_.substr(0, slash);

  // The bytes go into a file of no name in the target's folder, which vanishes with the program
  // however it ends; only once it is complete does it get a name, for the moment of the rename.
  // It is named through /proc, so without /proc (a bare chroot) the named way is taken at once.
  if (way == Temporary_Way::Unnamed_Where_Offered && ::access("/proc/self/fd", F_OK) == 0) {
    fd_ = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd_ < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
      fail(errno);
      return;
    }
  }
  if (fd_ < 0) {
    // A file system without unnamed files: a named temporary file, with the termination signals
    // held while it exists.
    held_ = std::make_unique<Termination_Held>();
    temp_ = temporary_name(target_, ".quorin-tmp-XXXXXX");
    fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
    if (fd_ < 0) {
      temp_.clear();
      fail(errno);
      return;
    }
  }
  // The saved file keeps the permissions of the file it replaces, or gets those of a new file.
  const mode_t mode = exists ? (old_info.st_mode & 07777) : default_file_mode();
  if (::fchmod(fd_, mode) != 0) fail(errno);
}

Atomic_File::~Atomic_File() { discard(); }

bool Atomic_File::fail(int error) {
  if (reason_.empty()) reason_ = system_reason(error);
  return false;
}

std::string Atomic_File::failure() const {
  return reason_.empty() ? std::string() : "ファイルを保存できません: " + path_ + " (" + reason_ + ")";
}

bool Atomic_File::write(std::string_view bytes) {
  if (!reason_.empty() || fd_ < 0) return false;
  // A large file goes out in parts, the disk starting on each part while the next is copied, so
  // that the sync before the rename has little left to wait for. Starting is only a request: the
  // sync still reports any failure.
  constexpr std::size_t Part = std::size_t{8} << 20;
  while (!bytes.empty()) {
    const std::string_view part = bytes.substr(0, Part);
    if (!write_all(fd_, part)) return fail(errno);
    ::sync_file_range(fd_, static_cast<off_t>(written_), static_cast<off_t>(part.size()), SYNC_FILE_RANGE_WRITE);
    written_ += static_cast<long long>(part.size());
    bytes.remove_prefix(part.size());
  }
  return true;
}

std::string Atomic_File::writer_path() const { return temp_.empty() ? "/proc/self/fd/" + std::to_string(fd_) : temp_; }

void Atomic_File::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
  held_.reset();
}

std::string Atomic_File::commit() {
  if (reason_.empty() && fd_ >= 0 && ::fsync(fd_) != 0) fail(errno);
  if (reason_.empty() && fd_ >= 0 && temp_.empty()) name_unnamed_file();
  if (reason_.empty() && fd_ >= 0) {
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) fail(errno);
    if (reason_.empty() && ::rename(temp_.c_str(), target_.c_str()) != 0) fail(errno);
  }
  if (!reason_.empty()) {
    discard();
    return failure();
  }
  temp_.clear();
  held_.reset();
  sync_folder(folder_);
  return {};
}

void advise_huge_pages(void* memory, std::size_t size) {
  constexpr std::uintptr_t Huge_Page = std::uintptr_t{2} << 20;
  const auto start = reinterpret_cast<std::uintptr_t>(memory);
  const std::uintptr_t first = (start + Huge_Page - 1) & ~(Huge_Page - 1);
  const std::uintptr_t last = (start + size) & ~(Huge_Page - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

// Gives the unnamed file a temporary name beside the target, for the rename; the termination
// signals are held from here until the rename or the removal.
void Atomic_File::name_unnamed_file() {
  held_ = std::make_unique<Termination_Held>();
  const std::string name = "/proc/self/fd/" + std::to_string(fd_);
  for (int attempt = 0;; ++attempt) {
    const std::string temp =
        temporary_name(target_, ".quorin-tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt));
    if (::linkat(AT_FDCWD, name.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      temp_ = temp;
      return;
    }
    if (errno != EEXIST) {
      fail(errno);
      return;
    }
  }
}

void Line_Writer::line(std::string_view utf8) {
  bool ascii = true;
  for (const char c : utf8)
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) {
    bytes_.append(utf8);
    bytes_.append("\r\n");
    return;
  }
  Cp932_Error error;
  const auto converted = utf8_to_cp932(utf8, &error);
  if (!converted) {
    if (bad_character_.empty()) bad_character_ = error.character.empty() ? std::string(utf8) : error.character;
    return;
  }
  bytes_.append(*converted);
  bytes_.append("\r\n");
}

}  // namespace quorin::text
