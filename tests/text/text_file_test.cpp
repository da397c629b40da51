#include "text/text_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#include <filesystem>

#include "support/test_support.h"
#include "text/cp932.h"

namespace quorin::text {
namespace {

namespace fs = std::filesystem;
using quorin::testing::read_bytes;
using quorin::testing::Scratch_Folder;
using quorin::testing::write_bytes;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

using quorin::testing::leftover_temp_files;

TEST(ReadFile, ReadsAllBytes) {
  Scratch_Folder folder;
  std::string bytes = "a\r\nb\0c\r\n";
  bytes += std::string(100000, 'x');
  write_bytes(folder.file("data.txt"), bytes);
  const auto read = read_file(folder.file("data.txt"));
  ASSERT_TRUE(read.ok) << read.message;
  EXPECT_EQ(read.bytes, bytes);
  EXPECT_TRUE(read.message.empty());

  write_bytes(folder.file("empty.txt"), "");
  const auto empty = read_file(folder.file("empty.txt"));
  EXPECT_TRUE(empty.ok);
  EXPECT_TRUE(empty.bytes.empty());
}

TEST(ReadFile, RefusesWhatIsNoReadableFile) {
  Scratch_Folder folder;
  fs::create_directory(folder.file("sub"));
  for (const std::string& path : {folder.file("none.txt"), folder.file("sub"), std::string("/dev/null")}) {
    const auto read = read_file(path);
    EXPECT_FALSE(read.ok) << path;
    EXPECT_TRUE(read.bytes.empty());
    EXPECT_TRUE(contains(read.message, "ファイルを開けません: " + path)) << read.message;
  }
}

TEST(ReadFile, TooLarge) {
  Scratch_Folder folder;
  write_bytes(folder.file("big.txt"), std::string(1001, '1'));
  const auto refused = read_file(folder.file("big.txt"), 1000);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.message, "ファイルが大きすぎます: " + folder.file("big.txt"));
  EXPECT_TRUE(read_file(folder.file("big.txt"), 1001).ok);
}

TEST(ReadFile, ProcFilesReportingSizeZero) {
  const auto read = read_file("/proc/self/status");
  ASSERT_TRUE(read.ok) << read.message;
  EXPECT_TRUE(contains(read.bytes, "Name:"));
  EXPECT_FALSE(read_file("/proc/self/status", 10).ok);
}

TEST(LooksBinary, NulAndControlBytes) {
  EXPECT_FALSE(looks_binary(""));
  EXPECT_FALSE(looks_binary(" 1500 \r\n\r\n-3 \r\n"));
  EXPECT_FALSE(looks_binary("a\tb\r\n\x1A"));
  EXPECT_FALSE(looks_binary(*utf8_to_cp932("実験担当者,ｽﾀﾝﾀﾞｰﾄﾞ\r\n")));
  EXPECT_TRUE(
      looks_binary(std::string("12\0"
                               "34",
                               5)));
  EXPECT_TRUE(looks_binary(std::string(1, '\0')));
  EXPECT_TRUE(looks_binary("\x01\x02\x03\x04"));
  EXPECT_FALSE(looks_binary("one stray \x07 bell in a longer text\r\n"));
  std::string mostly_text(1000, 'a');
  mostly_text[10] = '\x1B';
  mostly_text[20] = '\x1B';
  EXPECT_FALSE(looks_binary(mostly_text));
}

TEST(SaveFile, CreatesAndReplaces) {
  Scratch_Folder folder;  // the working directory: a bare file name goes there
  const std::string path = "result.txt";
  EXPECT_EQ(save_file(path, "first\r\n"), "");
  EXPECT_EQ(read_bytes(folder.file("result.txt")), "first\r\n");
  EXPECT_EQ(save_file(path, "second, longer\r\n"), "");
  EXPECT_EQ(read_bytes(path), "second, longer\r\n");
  EXPECT_EQ(save_file(path, ""), "");
  EXPECT_EQ(read_bytes(path), "");
  EXPECT_EQ(leftover_temp_files(folder.path()), 0);
}

TEST(SaveFile, KeepsThePermissionsOfTheReplacedFile) {
  Scratch_Folder folder;
  const std::string path = folder.file("keep.txt");
  write_bytes(path, "old");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(save_file(path, "new"), "");
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(SaveFile, ThroughASymbolicLinkReplacesTheFileItPointsTo) {
  Scratch_Folder folder;
  write_bytes(folder.file("real.txt"), "old");
  fs::create_symlink(folder.file("real.txt"), folder.file("link.txt"));
  EXPECT_EQ(save_file(folder.file("link.txt"), "new"), "");
  EXPECT_TRUE(fs::is_symlink(folder.file("link.txt")));
  EXPECT_EQ(read_bytes(folder.file("real.txt")), "new");
}

TEST(SaveFile, RefusedTargetsLeaveEverythingAsItWas) {
  Scratch_Folder folder;
  fs::create_directory(folder.file("sub"));
  write_bytes(folder.file("sub/inside.txt"), "kept");
  write_bytes(folder.file("plain"), "a file, not a folder");
  // /proc refuses new files even to root (chmod-based read-only folders do not stop root).
  for (const std::string& path : {folder.file("no such folder/result.txt"), folder.file("sub"),
                                  folder.file("plain/x.txt"), std::string("/proc/quorin-test.txt")}) {
    const std::string message = save_file(path, "data");
    EXPECT_TRUE(contains(message, "ファイルを保存できません: " + path)) << message;
  }
  EXPECT_FALSE(fs::exists(folder.file("no such folder")));
  EXPECT_EQ(read_bytes(folder.file("sub/inside.txt")), "kept");
  EXPECT_EQ(read_bytes(folder.file("plain")), "a file, not a folder");
  EXPECT_EQ(leftover_temp_files(folder.path()), 0);
}

// A write that fails half way (here: the file size limit of the process, which binds root too,
// standing in for a full disk) must leave the earlier file exactly as it was and no temp file.
TEST(SaveFile, FailedWriteLeavesTheOldFileIntact) {
  Scratch_Folder folder;
  const std::string path = folder.file("result.txt");
  write_bytes(path, "the old result\r\n");

  rlimit old_limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old_limit;
  small.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string message = save_file(path, std::string(100000, '7'));
  setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_TRUE(contains(message, "ファイルを保存できません: " + path)) << message;
  EXPECT_EQ(read_bytes(path), "the old result\r\n");
  EXPECT_EQ(leftover_temp_files(folder.path()), 0);
}

TEST(LineWriter, CrLfAndCodePage932) {
  Line_Writer writer;
  writer.line("<条件設定>");
  writer.ascii(" 1500 ");
  writer.end_line();
  writer.line("");
  writer.line("ｽﾀﾝﾀﾞｰﾄﾞ");
  EXPECT_FALSE(writer.failed());
  EXPECT_EQ(writer.bytes(), *utf8_to_cp932("<条件設定>") + "\r\n 1500 \r\n\r\n" +
                                std::string("\xBD\xC0\xDD\xC0\xDE\xB0\xC4\xDE") + "\r\n");
}

TEST(LineWriter, RefusesTheFirstBadCharacter) {
  Line_Writer writer;
  writer.line("ok");
  writer.line("価格 €5");
  writer.line("😀");
  writer.line("next");
  EXPECT_TRUE(writer.failed());
  EXPECT_EQ(writer.bad_character(), "€");
  EXPECT_EQ(writer.bytes().substr(0, 4), "ok\r\n");
  EXPECT_FALSE(contains(writer.bytes(), "?"));
  EXPECT_FALSE(contains(writer.bytes(), *utf8_to_cp932("価格")));
}

TEST(LineWriter, SavedFileReadsBack) {
  Scratch_Folder folder;
  Line_Writer writer;
  writer.line("実験担当者");
  writer.line("～STD");
  ASSERT_FALSE(writer.failed());
  ASSERT_EQ(save_file(folder.file("out.txt"), writer.bytes()), "");
  const auto read = read_file(folder.file("out.txt"));
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(cp932_to_utf8(read.bytes), std::string("実験担当者\r\n～STD\r\n"));
}

}  // namespace
}  // namespace quorin::text
