// Every input kept for the fuzz targets, the seeds of fuzz/corpus/<target>/ and the inputs of
// faults found and fixed in fuzz/regressions/<target>/, replayed through the same checks with
// the program as it is built for use.

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
  for (const char* kind : {"corpus", "regressions"}) {
    if (!fs::is_directory(Fuzz_Folder / kind)) continue;
    for (const auto& target : fs::directory_iterator(Fuzz_Folder / kind)) {
      if (!target.is_directory()) continue;
      const std::string name = target.path().filename().string();
      const testing::Input_Check check = testing::input_check(name);
      ASSERT_NE(check, nullptr) << "no check for the inputs of " << target.path();
      for (const auto& input : fs::directory_iterator(target.path())) {
        EXPECT_EQ(check(testing::read_bytes(input.path().string())), "") << input.path();
        ++replayed;
      }
    }
  }
  EXPECT_GT(replayed, 6) << "the seed corpora are missing";
}

// Every fuzz target has a check of its name, so that its corpus is replayed here too.
TEST(Fuzz_Corpus, ChecksKnowEveryTargetOfFuzz) {
  for (const auto& source : fs::directory_iterator(Fuzz_Folder)) {
    const std::string file = source.path().filename().string();
    if (!file.ends_with("_fuzz.cpp")) continue;
    EXPECT_NE(testing::input_check(file.substr(0, file.size() - 9)), nullptr) << file;
  }
}

}  // namespace
}  // namespace quorin
