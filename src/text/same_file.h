#pragma once
// Whether two paths name one file, so that one output never replaces another file of the run.

#include <string>

namespace quorin::text {

// True when both paths name one file: for files that exist, the same file on the same device
// (hard links and symbolic links included); otherwise the same place once `..`, the folders'
// symbolic links and a symbolic link to a file not yet made are followed.
bool same_file(const std::string& a, const std::string& b);

}  // namespace quorin::text
