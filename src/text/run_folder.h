#pragma once
// A folder of one run's own in the temporary folder. The run holds a lock on it for as long as it
// lives, and the lock dies with the process, however it ends: a later run removes the folders of
// its user that no living process holds, so that a run killed with SIGKILL leaves nothing for long.

#include <string>

namespace quorin::text {

class Run_Folder {
 public:
  // Makes `prefix`-XXXXXX in the temporary folder, after removing the abandoned ones of that prefix;
  // path() is empty when no folder could be made.
  explicit Run_Folder(const std::string& prefix);
  ~Run_Folder();
  Run_Folder(const Run_Folder&) = delete;
  Run_Folder& operator=(const Run_Folder&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  int lock_ = -1;
};

// Removes the folders `prefix`-* of the temporary folder that belong to this user, are older than
// a minute, and are held by no living run (a folder without a lock only when it is empty).
void remove_abandoned_run_folders(const std::string& prefix);

}  // namespace quorin::text
