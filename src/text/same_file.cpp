#include "text/same_file.h"

#include <sys/stat.h>

#include <filesystem>

namespace quorin::text {

namespace {

namespace fs = std::filesystem;

// Where a path leads once every symbolic link it goes through is followed, a last one to no file
// included (the file a save through it would make).
fs::path destination(const std::string& path, std::error_code& error) {
  fs::path place = fs::weakly_canonical(path, error);
  struct stat info {};
  for (int links = 0; !error && links < 40 && ::lstat(place.c_str(), &info) == 0 && S_ISLNK(info.st_mode); ++links) {
    const fs::path target = fs::read_symlink(place, error);
    place = fs::weakly_canonical(place.parent_path() / target, error);
  }
  return place;
}

}  // namespace

std::string written_path(const std::string& path) {
  std::error_code error;
  const fs::path place = destination(path, error);
  return error ? path : place.string();
}

bool same_file(const std::string& a, const std::string& b) {
  struct stat info_a {
  }, info_b{};
  if (::stat(a.c_str(), &info_a) == 0 && ::stat(b.c_str(), &info_b) == 0)
    return info_a.st_dev == info_b.st_dev && info_a.st_ino == info_b.st_ino;
  std::error_code error_a, error_b;
  const fs::path place_a = destination(a, error_a), place_b = destination(b, error_b);
  return !error_a && !error_b && place_a == place_b;
}

}  // namespace quorin::text
