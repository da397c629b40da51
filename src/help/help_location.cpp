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
  std::vector<std::string> folders;
  auto add = [&folders](const fs::path& folder) {
    std::error_code error;
    for (const std::string& earlier : folders)
      if (fs::equivalent(earlier, folder, error)) return;
    folders.push_back(folder.lexically_normal().string());
  };
  std::error_code error;
  if (const fs::path working = fs::current_path(error); !error) add(working);
  if (const std::string own = program_folder(); !own.empty()) {
    add(own);
    add(fs::path(own).parent_path() / "share" / "quorin");
  }
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
