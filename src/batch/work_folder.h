#pragma once
// A private, empty working folder for one batch run. The screens keep their scratch file
// "temp.dat" in the working folder; runs started side by side in the same folder would
// otherwise write each other's counts. The folder is made the working folder while the object
// lives, then the previous one is restored and the folder removed with what it holds.

#include <filesystem>
#include <string>

namespace quorin::batch {

class Work_Folder {
 public:
  Work_Folder();
  ~Work_Folder();
  Work_Folder(const Work_Folder&) = delete;
  Work_Folder& operator=(const Work_Folder&) = delete;

  // "" when the folder is in use, else why it could not be made.
  const std::string& failure() const { return failure_; }

 private:
  std::filesystem::path folder_;
  std::filesystem::path previous_;
  std::string failure_;
};

}  // namespace quorin::batch
