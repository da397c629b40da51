#pragma once
// Whole-file reading and safe saving of the program's text files, and the CR LF line writer.
// Messages are the program's Japanese texts and name the file.

#include <csignal>
#include <memory>
#include <string>
#include <string_view>

namespace quorin::text {

// The system's reason for an error number (errno) in Japanese for the common cases ("アクセスが拒否されました"),
// otherwise the system's own text.
std::string system_reason(int error);

struct File_Read {
  bool ok = false;
  std::string bytes;    // the file's bytes as stored (code page 932)
  std::string message;  // why it could not be read, when !ok
};

// Reads a whole file. Messages: "ファイルを開けません: <path> (<reason>)" for a file that cannot
// be opened or read, a folder or anything but a regular file; "ファイルが大きすぎます: <path>" for
// a file over max_bytes.
File_Read read_file(const std::string& path, std::size_t max_bytes = std::size_t{1} << 30);

// A file read part by part, with the checks and messages of read_file: for files that need not
// be held whole.
class File_Reader {
 public:
  explicit File_Reader(const std::string& path, std::size_t max_bytes = std::size_t{1} << 30);
  ~File_Reader();
  File_Reader(const File_Reader&) = delete;
  File_Reader& operator=(const File_Reader&) = delete;
  // "" while the file can be read, otherwise read_file's message.
  const std::string& failure() const { return failure_; }
  // The size the file had when it was opened (a hint: it may grow or shrink while it is read).
  std::size_t size_hint() const { return size_hint_; }
  // Puts up to `room` bytes at `into` and returns how many; 0 at the end of the file and after a
  // failure.
  std::size_t read(char* into, std::size_t room);

 private:
  std::string path_;
  std::string failure_;
  int fd_ = -1;
  std::size_t max_bytes_;
  std::size_t size_hint_ = 0;
  std::size_t done_ = 0;
};

// True when the bytes look like a binary file rather than text (a NUL byte, or many control
// bytes other than tab, CR, LF and EOF 0x1A).
bool looks_binary(std::string_view bytes);

// Writes the bytes to a temporary file in the target's folder and renames it over the target only
// when everything was written and flushed, so a failed save leaves an earlier file intact.
// Returns "" on success, otherwise the message to show: "ファイルを保存できません: <path>
// (<reason>)". The temporary file is "<path>.quorin-tmp-XXXXXX", its name shortened where the
// whole would be longer than a file name may be, and is removed on any failure. The saved file
// keeps the permissions of the file it replaces; saving through a symbolic link replaces the file
// the link points to, or makes it when it does not exist yet. A target that is a folder, a device
// ("/dev/full"), a pipe or a socket, or a file that may not be written (mode 0444, say) is refused
// and left alone.
std::string save_file(const std::string& path, std::string_view bytes);

// The signals that end a program from outside or on a failed write (hang-up, Ctrl-C, kill, a
// closed pipe, a file beyond the size limit), held in this thread for as long as the object
// lives, so that none comes while a file that must not be left behind has a name: one that
// comes meanwhile takes effect when the object goes. A SIGXFSZ raised meanwhile is dropped: the
// write's error reports it.
class Termination_Held {
 public:
  Termination_Held();
  ~Termination_Held();
  Termination_Held(const Termination_Held&) = delete;
  Termination_Held& operator=(const Termination_Held&) = delete;

 private:
  sigset_t previous_{};
};

// The same safe save for a file written piece by piece (a PDF report): the pieces go to the
// temporary file, and the target is replaced only by commit(), when every write, the flush and
// the close succeeded. The first failure is kept and every later write is refused; a file that is
// not committed is removed when the object goes, leaving the target as it was.

class Atomic_File {
 public:
  // How the temporary file is made: unnamed until it is complete where the system offers that, else
  // named from the start (the way file systems without unnamed files take, which tests can force).
  enum class Temporary_Way { Unnamed_Where_Offered, Named };
  // Creates the temporary file, or notes why it cannot.
  explicit Atomic_File(std::string path, Temporary_Way way = Temporary_Way::Unnamed_Where_Offered);
  ~Atomic_File();
  Atomic_File(const Atomic_File&) = delete;
  Atomic_File& operator=(const Atomic_File&) = delete;

  bool write(std::string_view bytes);
  // A name through which a writer that takes a file name (a library) writes the file's bytes
  // instead of write(): the unnamed file's entry in /proc, or the temporary file's name.
  std::string writer_path() const;
  // Puts the file in place; "" on success, else the message (as save_file gives it).
  std::string commit();
  // Removes the temporary file; the target stays as it was.
  void discard();
  // The message of the first failure, "" while all is well.
  std::string failure() const;
  // The reason alone ("ディスクの空きがありません"), "" while all is well.
  const std::string& reason() const { return reason_; }
  const std::string& path() const { return path_; }

 private:
  bool fail(int error);
  void name_unnamed_file();
  std::string path_;    // as given, for messages
  std::string target_;  // the file replaced (a symbolic link's file)
  std::string folder_;  // the target's folder
  std::string temp_;    // the temporary file's name while it has one
  int fd_ = -1;
  std::string reason_;
  long long written_ = 0;  // bytes written so far
  // Termination signals held while a temporary file has a name, so that none leaves it behind.
  std::unique_ptr<Termination_Held> held_;
};

// Asks the system to back the whole 2 MB stretches of a large block of memory with huge pages
// (a hint it may ignore), so that filling the block costs a few page faults instead of thousands.
void advise_huge_pages(void* memory, std::size_t size);

// Builds the bytes of a code page 932 text file line by line, each line ended by CR LF.
class Line_Writer {
 public:
  // Appends one line given in UTF-8. A character that code page 932 cannot hold makes the
  // writer fail (see failed()); the line is then not added (later good lines still are, but the
  // bytes of a failed writer must not be saved).
  void line(std::string_view utf8);
  // Appends ASCII text without a line end (numbers, commas); no conversion needed.
  void ascii(std::string_view text) { bytes_.append(text); }
  void end_line() { bytes_.append("\r\n"); }
  // Forgets the bytes (keeping the room they took) and any failure.
  void clear() {
    bytes_.clear();
    bad_character_.clear();
  }
  // Appends the lines of another writer (built apart, say on another thread), its failure too.
  void append(const Line_Writer& part) {
    bytes_.append(part.bytes_);
    if (bad_character_.empty()) bad_character_ = part.bad_character_;
  }
  bool failed() const { return !bad_character_.empty(); }
  // The first character that could not be written, in UTF-8.
  const std::string& bad_character() const { return bad_character_; }
  const std::string& bytes() const { return bytes_; }
  // Makes room for n bytes at once (of megabytes: see advise_huge_pages).
  void reserve(std::size_t n) {
    bytes_.reserve(n);
    advise_huge_pages(bytes_.data(), bytes_.capacity());
  }

 private:
  std::string bytes_;
  std::string bad_character_;
};

}  // namespace quorin::text
