#include "support/test_support.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "text/cp932.h"

namespace quorin::testing {

namespace fs = std::filesystem;

Scratch_Folder::Scratch_Folder() : previous_(fs::current_path()) {
  static std::atomic<int> counter{0};
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "quorin";
  std::replace(name.begin(), name.end(), '/', '_');
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

void expect_golden(const std::string& name, const std::string& bytes, const std::string& folder) {
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
  return static_cast<int>(std::count_if(
      fs::directory_iterator(folder), fs::directory_iterator(),
      [](const auto& entry) { return entry.path().filename().string().find(".quorin-tmp-") != std::string::npos; }));
}

std::string read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void write_bytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

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
  const rlimit limited{bytes, old_.rlim_max};
  setrlimit(RLIMIT_FSIZE, &limited);
}

File_Size_Limit::~File_Size_Limit() {
  setrlimit(RLIMIT_FSIZE, &old_);
  std::signal(SIGXFSZ, old_handler_);
}

}  // namespace quorin::testing
