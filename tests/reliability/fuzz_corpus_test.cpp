// Every input kept for the fuzz targets, the seeds of fuzz/corpus/<target>/ and the inputs of
// faults found and fixed in fuzz/regressions/<target>/, replayed through the same checks with
// the program as it is built for use. Every fuzz target has a check of its name, so that its
// inputs are replayed here too.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "reliability/input_checks.h"
#include "support/test_support.h"

namespace quorin {
namespace {

namespace fs = std::filesystem;

const fs::path Fuzz_Folder = fs::path(QUORIN_SOURCE_DIR) / "fuzz";

TEST(Fuzz_Corpus, EveryKeptInputPassesTheCheckOfItsTarget) {
  int replayed = 0;
  for (const auto& source : fs::directory_iterator(Fuzz_Folder)) {
    const std::string file = source.path().filename().string();
    if (!file.ends_with("_fuzz.cpp")) continue;
    const std::string target = file.substr(0, file.size() - 9);
    const testing::Input_Check check = testing::input_check(target);
    ASSERT_NE(check, nullptr) << "no check for " << file;
    for (const char* kind : {"corpus", "regressions"}) {
      if (!fs::is_directory(Fuzz_Folder / kind / target)) continue;
      for (const auto& input : fs::directory_iterator(Fuzz_Folder / kind / target)) {
        const fs::path working = fs::current_path();
        EXPECT_EQ(check(testing::read_bytes(input.path().string())), "") << input.path();
        // libFuzzer reads the corpus, and writes what it finds, by the paths it was given.
        EXPECT_EQ(fs::current_path(), working) << "the check of " << target << " moved the working directory";
        ++replayed;
      }
    }
  }
  EXPECT_GT(replayed, 6) << "the seed corpora are missing";
}

}  // namespace
}  // namespace quorin
