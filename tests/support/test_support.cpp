#include "support/test_support.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "text/cp932.h"

namespace quorin::testing {

namespace fs = std::filesystem;

Scratch_Folder::Scratch_Folder() : previous_(fs::current_path()) {
  static std::atomic<int> counter{0};
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "quorin";
  for (char& c : name)
    if (c == '/') c = '_';
  path_ = fs::temp_directory_path() /
          ("quorin-" + name + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  fs::remove_all(path_);
  fs::create_directories(path_);
  fs::current_path(path_);
}

Scratch_Folder::~Scratch_Folder() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
  // A test may leave a read-only folder behind; make it writable again so it can be removed.
  for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator(); ++it)
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

void expect_golden_in(const std::string& folder, const std::string& name, const std::string& bytes) {
  const fs::path record = fs::path(folder) / name;
  if (const char* update = std::getenv("QUORIN_UPDATE_GOLDEN"); update && std::string(update) == "1") {
    fs::create_directories(record.parent_path());
    write_bytes(record.string(), bytes);
    return;
  }
  const std::string recorded = fs::exists(record) ? read_bytes(record.string()) : std::string();
  if (bytes == recorded) return;
  write_bytes(record.string() + ".actual", bytes);
  EXPECT_EQ(recorded, bytes) << name << " differs from its record (new bytes in " << record.string() << ".actual)";
}

int leftover_temp_files(const fs::path& folder) {
  int n = 0;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().filename().string().find(".quorin-tmp-") != std::string::npos) ++n;
  return n;
}

std::string read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void write_bytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string figures(double value, int digits) {
  char text[40];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  return text;
}

std::string cp932(const std::string& utf8) {
  auto bytes = text::utf8_to_cp932(utf8);
  EXPECT_TRUE(bytes.has_value()) << "not representable in code page 932: " << utf8;
  return bytes.value_or("");
}

File_Size_Limit::File_Size_Limit(rlim_t bytes) : old_handler_(std::signal(SIGXFSZ, SIG_IGN)) {
  getrlimit(RLIMIT_FSIZE, &old_);
  rlimit limited = old_;
  limited.rlim_cur = bytes;
  setrlimit(RLIMIT_FSIZE, &limited);
}

File_Size_Limit::~File_Size_Limit() {
  setrlimit(RLIMIT_FSIZE, &old_);
  std::signal(SIGXFSZ, old_handler_);
}

}  // namespace quorin::testing
