// The help files are taken from the first folder that holds them: the working directory, the
// program's own folder, then the installed share folder.

#include <gtest/gtest.h>

#include <filesystem>

#include "help/help_file.h"
#include "help/help_location.h"
#include "help_fixture.h"

namespace quorin::help {
namespace {

class Help_Location : public ::testing::Test {
 protected:
  Help_Location() {
    std::filesystem::create_directory(first);
    std::filesystem::create_directory(second);
  }
  testing::Scratch_Folder folder;
  std::string first = folder.file("working"), second = folder.file("program");
};

TEST_F(Help_Location, FirstFolderHoldingTheFileWins) {
  testing::write_bytes(second + "/help.csv", testing::cp932_lines({"1,0,プログラムの横,x"}));
  testing::write_bytes(second + "/readme.csv", testing::cp932_lines({"プログラムの横"}));
  EXPECT_EQ(read_help_topics({first, second}).topics.at(0).Help_Title, "プログラムの横");
  EXPECT_EQ(read_readme_lines({first, second}).lines.at(0), "プログラムの横");

  testing::write_bytes(first + "/help.csv", testing::cp932_lines({"1,0,作業フォルダ,x"}));
  testing::write_bytes(first + "/readme.csv", testing::cp932_lines({"作業フォルダ"}));
  EXPECT_EQ(read_help_topics({first, second}).topics.at(0).Help_Title, "作業フォルダ");
  EXPECT_EQ(read_readme_lines({first, second}).lines.at(0), "作業フォルダ");
}

// Installed, the program lies in <prefix>/bin and its help files in <prefix>/share/quorin.
TEST_F(Help_Location, TheInstalledShareFolderIsSearchedLast) {
  const std::vector<std::string> folders = help_folders();
  ASSERT_FALSE(folders.empty());
  EXPECT_EQ(folders.back(), (std::filesystem::path(program_folder()) / "../share/quorin").lexically_normal().string());
}

TEST_F(Help_Location, MessageNamesEveryFolderSearched) {
  const Help_Read read = read_help_topics({first, second});
  EXPECT_TRUE(read.topics.empty());
  EXPECT_EQ(read.message, "help.csv が見つかりません（探した場所: " + first + "、" + second + "）");
}

}  // namespace
}  // namespace quorin::help
