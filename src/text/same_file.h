#pragma once
// Which file a path names, so that one output never replaces another file of the run and a save
// through a symbolic link reaches the file the link points to.

#include <string>

namespace quorin::text {

// True when both paths name one file: for files that exist, the same file on the same device
// (hard links and symbolic links included); otherwise the same place once `..`, the folders'
// symbolic links and a symbolic link to a file not yet made are followed.
bool same_file(const std::string& a, const std::string& b);

// The path a write to `path` reaches: every symbolic link followed, a last one to a file not yet
// made included, and `..` resolved. The path as given when it cannot be followed.
std::string written_path(const std::string& path);

}  // namespace quorin::text
