#include "batch/work_folder.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quorin::batch {

Work_Folder::Work_Folder() {
  std::error_code error;
  previous_ = std::filesystem::current_path(error);
  if (!error) {
    std::string name = (std::filesystem::temp_directory_path(error) / "quorin-batch-XXXXXX").string();
    if (!error && ::mkdtemp(name.data()) != nullptr) {
      folder_ = name;
      std::filesystem::current_path(folder_, error);
    } else if (!error) {
      error = std::error_code(errno, std::generic_category());
    }
  }
  if (error) failure_ = "作業フォルダを作成できません (" + error.message() + ")";
}

Work_Folder::~Work_Folder() {
  std::error_code ignored;
  if (!previous_.empty()) std::filesystem::current_path(previous_, ignored);
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

}  // namespace quorin::batch
