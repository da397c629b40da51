// The folders of src/ stand in layers, and an include may only reach down: a screen never
// reaches into the navigation that builds it, the engine never into a screen.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace quorin {
namespace {

// Bottom to top. A folder may include its own files and those of the layers below it; folders
// of one layer include nothing of each other.
const std::vector<std::vector<std::string>> Layers = {
    {"text"},                         // number and text forms
    {"engine"},                       // the reduction, with no screen in it
    {"ui"},                           // the form model and the platform services
    {"state"},                        // the state in force and what was computed from it
    {"conditions", "help", "intro"},  // the screens, each above those it uses
    {"data"},                         // the data sheet
    {"graph"},                        // the standard-curve screen
    {"models"},                       // the model screen
    {"qc"},                           // the control chart and the precision profile
    {"lis"},                          // results to the laboratory information system
    {"results"},                      // the result tables, the result file and their printout
    {"report"},                       // every printout as one job
    {"navigation"},                   // the dispatcher, the wizard and the program that makes the screens
    {"batch", "ui/qt"},               // the command line; the one renderer of the screens
    {"app"},                          // main()
};

std::string folder_of(const std::string& path) {
  return path.starts_with("ui/qt/") ? "ui/qt" : path.substr(0, path.find('/'));
}

// The file named by an #include "..." line, or nothing.
std::string included_file(const std::string& line) {
  std::istringstream words(line);
  std::string directive, name;
  if (!(words >> directive >> name) || directive != "#include" || name.size() < 3 || name.front() != '"') return "";
  return name.substr(1, name.find('"', 1) - 1);
}

TEST(Layers, EveryIncludeReachesDown) {
  std::map<std::string, int> rank;
  for (std::size_t layer = 0; layer < Layers.size(); ++layer)
    for (const std::string& folder : Layers[layer]) rank[folder] = static_cast<int>(layer);

  const std::filesystem::path src = std::filesystem::path(QUORIN_SOURCE_DIR) / "src";
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(src)) {
    const std::string extension = entry.path().extension().string();
    if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp")) continue;
    const std::string path = entry.path().lexically_relative(src).generic_string();
    const std::string from = folder_of(path);
    ASSERT_TRUE(rank.count(from)) << "a folder of no layer: " << path;
    ++files;
    std::ifstream in(entry.path());
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      const std::string included = included_file(line);
      if (included.empty() || !std::filesystem::exists(src / included)) continue;
      const std::string to = folder_of(included);
      EXPECT_TRUE(to == from || rank.at(to) < rank.at(from))
          << path << ":" << number << " includes " << included << ", which is not below " << from;
    }
  }
  EXPECT_GT(files, 100);
}

}  // namespace
}  // namespace quorin
