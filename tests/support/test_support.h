#pragma once
// Small helpers shared by the tests: a scratch folder per test, file bytes, CP932 literals.

#include <sys/resource.h>

#include <filesystem>
#include <string>
#include <vector>

namespace quorin::testing {

// A fresh empty folder that the test runs in (the working directory is switched to it, because
// the program looks for the help files in the working directory); removed and the old
// working directory restored at the end.
class Scratch_Folder {
 public:
  Scratch_Folder();
  ~Scratch_Folder();
  Scratch_Folder(const Scratch_Folder&) = delete;
  Scratch_Folder& operator=(const Scratch_Folder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

// The files of the folder whose name marks them as temporary files of a save.
int leftover_temp_files(const std::filesystem::path& folder);

std::string read_bytes(const std::string& path);
void write_bytes(const std::string& path, const std::string& bytes);

#ifdef QUORIN_SOURCE_DIR
// The example assay's condition and count files.
inline const std::string Example_Conditions = QUORIN_SOURCE_DIR "/examples/cortisol.crx";
inline const std::string Example_Counts = QUORIN_SOURCE_DIR "/examples/cortisol_counts.txt";
#endif
#ifdef QUORIN_TEST_GOLDEN
// Compares bytes with the recorded file <folder>/<name>, by default tests/<test folder>/golden/<name>
// (bytes as written, CP932 included). A difference fails the test showing the lines that differ
// and leaves the new bytes beside the record as <name>.actual to review. QUORIN_UPDATE_GOLDEN=1
// rewrites the records instead (README, "Recorded outputs").
void expect_golden(const std::string& name, const std::string& bytes, const std::string& folder = QUORIN_TEST_GOLDEN);
#endif

// Joins texts one to a line, the form in which screens, printouts and findings are recorded.
inline std::string lines_of(const std::vector<std::string>& texts) {
  std::string joined;
  for (const std::string& text : texts) joined += text + '\n';
  return joined;
}

// A value to `digits` significant digits, as printf's %g writes it.
std::string figures(double value, int digits);

// UTF-8 text to code page 932 bytes; fails the test when the text cannot be converted.
std::string cp932(const std::string& utf8);

// Limits the size of any file this process writes for as long as it lives (the limit binds root
// too), so that a save fails half way as on a full disk.
class File_Size_Limit {
 public:
  explicit File_Size_Limit(rlim_t bytes);
  ~File_Size_Limit();
  File_Size_Limit(const File_Size_Limit&) = delete;
  File_Size_Limit& operator=(const File_Size_Limit&) = delete;

 private:
  rlimit old_{};
  void (*old_handler_)(int);
};

}  // namespace quorin::testing
