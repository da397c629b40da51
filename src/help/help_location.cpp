#include "help/help_location.h"

#include <filesystem>
#include <system_error>

namespace quorin::help {

namespace fs = std::filesystem;

std::string program_folder() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (error || program.empty()) return {};
  return program.parent_path().string();
}

std::vector<std::string> help_folders() {
  std::error_code error;
  std::vector<std::string> folders;
  const fs::path working = fs::current_path(error);
  if (!error) folders.push_back(working.string());
  const std::string own = program_folder();
  if (!own.empty() && (folders.empty() || !fs::equivalent(folders.front(), own, error))) folders.push_back(own);
  return folders;
}

std::string find_file(const std::string& name, const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    const fs::path candidate = fs::path(folder) / name;
    std::error_code error;
    if (fs::is_regular_file(candidate, error)) return candidate.string();
  }
  return {};
}

}  // namespace quorin::help
