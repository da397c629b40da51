#include "text/text_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "text/cp932.h"

namespace quorin::text {

namespace {

// The system's reason in Japanese for the common cases, otherwise the system's own text.
std::string reason(int error) {
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

// Why a device, a pipe or a socket is neither read nor replaced.
constexpr const char* Not_Regular = "通常のファイルではありません";

std::string open_failed(const std::string& path, int error) {
  return "ファイルを開けません: " + path + " (" + reason(error) + ")";
}

std::string save_failed(const std::string& path, int error) {
  return "ファイルを保存できません: " + path + " (" + reason(error) + ")";
}

class File_Descriptor {
 public:
  explicit File_Descriptor(int fd) : fd_(fd) {}
  ~File_Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  File_Descriptor(const File_Descriptor&) = delete;
  File_Descriptor& operator=(const File_Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now and reports the error of close (a late write error of some file systems).
  int close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

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

// The signals that end a program from outside or on a failed write (hang-up, Ctrl-C, kill, a
// closed pipe, a file beyond the size limit), held in this thread while a temporary file of a
// save has a name, so that none leaves it behind: one that comes meanwhile takes effect once the
// file has become the target or is gone. A SIGXFSZ raised by the save's own write is dropped: the
// write's error reports it.
class Termination_Held {
 public:
  Termination_Held() {
    sigset_t held;
    ::sigemptyset(&held);
    for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGXFSZ}) ::sigaddset(&held, signal);
    ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
  }
  ~Termination_Held() {
    sigset_t file_size;
    ::sigemptyset(&file_size);
    ::sigaddset(&file_size, SIGXFSZ);
    const timespec no_wait{};
    while (::sigtimedwait(&file_size, nullptr, &no_wait) == SIGXFSZ) {}
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  Termination_Held(const Termination_Held&) = delete;
  Termination_Held& operator=(const Termination_Held&) = delete;

 private:
  sigset_t previous_{};
};

mode_t default_file_mode() {
  // The mode a newly created file gets: 0666 less the process's umask.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

File_Read read_file(const std::string& path, std::size_t max_bytes) {
  File_Read result;
  File_Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) {
    result.message = open_failed(path, errno);
    return result;
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) {
    result.message = open_failed(path, errno);
    return result;
  }
  if (S_ISDIR(info.st_mode)) {
    result.message = open_failed(path, EISDIR);
    return result;
  }
  if (!S_ISREG(info.st_mode)) {
    result.message = "ファイルを開けません: " + path + " (" + Not_Regular + ")";
    return result;
  }
  if (static_cast<unsigned long long>(info.st_size) > max_bytes) {
    result.message = "ファイルが大きすぎます: " + path;
    return result;
  }
  // The size is a hint only (files of /proc report 0, a file may grow while it is read).
  std::string bytes;
  bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
  std::size_t done = 0;
  for (;;) {
    if (done == bytes.size()) {
      if (bytes.size() > max_bytes) {
        result.message = "ファイルが大きすぎます: " + path;
        return result;
      }
      bytes.resize(bytes.size() < 4096 ? 4096 : bytes.size() * 2);
    }
    const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      result.message = open_failed(path, errno);
      return result;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  if (done > max_bytes) {
    result.message = "ファイルが大きすぎます: " + path;
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
  if (path.empty()) return save_failed(path, ENOENT);
  // Saving through a symbolic link replaces the file it points to, not the link.
  std::string target = path;
  struct stat link_info {};
  if (::lstat(path.c_str(), &link_info) == 0 && S_ISLNK(link_info.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
  }
  struct stat old_info {};
  const bool exists = ::stat(target.c_str(), &old_info) == 0;
  if (exists && S_ISDIR(old_info.st_mode)) return save_failed(path, EISDIR);
  // A device, a pipe or a socket would be replaced by a plain file (root may create files in /dev).
  if (exists && !S_ISREG(old_info.st_mode)) return "ファイルを保存できません: " + path + " (" + Not_Regular + ")";

  // The saved file keeps the permissions of the file it replaces, or gets those of a new file.
  const mode_t mode = exists ? (old_info.st_mode & 07777) : default_file_mode();
  const std::size_t slash = target.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);

  // The bytes go into a file of no name in the target's folder, which vanishes with the program
  // however it ends; only once it is complete does it get a name, for the moment of the rename.
  File_Descriptor unnamed(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
  if (unnamed.get() < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return save_failed(path, errno);
  if (unnamed.get() >= 0) {
    if (::fchmod(unnamed.get(), mode) != 0 || !write_all(unnamed.get(), bytes) || ::fsync(unnamed.get()) != 0)
      return save_failed(path, errno);
    const std::string name = "/proc/self/fd/" + std::to_string(unnamed.get());
    const Termination_Held held;
    for (int attempt = 0;; ++attempt) {
      const std::string temp = target + ".quorin-tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
      if (::linkat(AT_FDCWD, name.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        if (errno == EEXIST) continue;
        if (errno == ENOENT && attempt == 0) break;  // no /proc to name it by: save it the other way
        return save_failed(path, errno);
      }
      if (unnamed.close() != 0 || ::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return save_failed(path, error);
      }
      sync_folder(folder);
      return {};
    }
  }

  // A file system without unnamed files: a named temporary one, with the signals held while it exists.
  const Termination_Held held;
  std::string temp = target + ".quorin-tmp-XXXXXX";
  File_Descriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) return save_failed(path, errno);
  auto give_up = [&](int error) {
    ::unlink(temp.c_str());
    return save_failed(path, error);
  };
  if (::fchmod(fd.get(), mode) != 0) return give_up(errno);
  if (!write_all(fd.get(), bytes)) return give_up(errno);
  if (::fsync(fd.get()) != 0) return give_up(errno);
  if (fd.close() != 0) return give_up(errno);
  if (::rename(temp.c_str(), target.c_str()) != 0) return give_up(errno);
  sync_folder(folder);
  return {};
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
