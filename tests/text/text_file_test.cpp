#include "text/text_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "support/test_support.h"
#include "text/cp932.h"

namespace quorin::text {
namespace {

namespace fs = std::filesystem;
using testing::leftover_temp_files;
using testing::read_bytes;
using testing::Scratch_Folder;
using testing::write_bytes;

// All bytes, also of a file whose size reads as 0, or a refusal; a file that looks binary holds a
// NUL or many control bytes.
TEST(ReadFile, AllBytesOrARefusal) {
  Scratch_Folder folder;
  const std::string bytes = std::string("a\r\nb\0c\r\n", 8) + std::string(100000, 'x');
  write_bytes(folder.file("data.txt"), bytes);
  EXPECT_EQ(read_file(folder.file("data.txt"), bytes.size()).bytes, bytes);
  EXPECT_TRUE(read_file("/proc/self/status").bytes.starts_with("Name:"));
  EXPECT_EQ(read_file(folder.file("data.txt"), bytes.size() - 1).message,
            "ファイルが大きすぎます: " + folder.file("data.txt"));
  for (const std::string& path : {folder.file("none.txt"), folder.path().string(), std::string("/dev/null")})
    EXPECT_TRUE(read_file(path).message.starts_with("ファイルを開けません: " + path)) << path;
  for (const std::string& text :
       {std::string(" 1500 \r\n\r\n-3 \r\n"), std::string("a\tb\r\n\x1A"), *utf8_to_cp932("実験担当者,ｽﾀﾝﾀﾞｰﾄﾞ\r\n"),
        std::string("one \x07 bell in a longer text")})
    EXPECT_FALSE(looks_binary(text)) << text;
  for (const std::string& text : {std::string("12\00034", 5), std::string("\x01\x02\x03\x04")})
    EXPECT_TRUE(looks_binary(text)) << text;
}

TEST(SaveFile, ReplacesThroughALinkAndInTheWorkingFolder) {
  Scratch_Folder folder;  // the working directory: a bare file name goes there
  for (const std::string bytes : {"first\r\n", "second, longer\r\n", ""}) {
    EXPECT_EQ(save_file("result.txt", bytes), "");
    EXPECT_EQ(read_bytes(folder.file("result.txt")), bytes);
  }
  fs::create_symlink(folder.file("result.txt"), folder.file("link.txt"));
  EXPECT_EQ(save_file(folder.file("link.txt"), "new"), "");
  EXPECT_TRUE(fs::is_symlink(folder.file("link.txt")));
  EXPECT_EQ(read_bytes(folder.file("result.txt")), "new");
  EXPECT_EQ(leftover_temp_files(folder.path()), 0);
}

// Either way of the temporary file (unnamed where the system offers it, named where it does not):
// a save replaces the file keeping its permissions, and a write cut short or a final rename that
// fails (a folder took the file's place meanwhile) leaves every file as it was and no temporary
// file behind.
TEST(SaveFile, EitherTemporaryWayLeavesNothingBehind) {
  using Way = Atomic_File::Temporary_Way;
  for (const Way way : {Way::Unnamed_Where_Offered, Way::Named}) {
    SCOPED_TRACE(way == Way::Named ? "named" : "unnamed");
    Scratch_Folder folder;
    const std::string target = folder.file("result.txt"), taken = folder.file("taken.txt");
    write_bytes(target, "old");
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(target, perms);
    const struct {
      const char* what;
      const std::string& path;
      std::function<void(Atomic_File&)> meanwhile;
      bool saved;
    } saves[] = {
        {"whole", target, [](Atomic_File& file) { file.write("new"); }, true},
        {"cut short", target,
         [](Atomic_File& file) {
           testing::File_Size_Limit limit(100);
           file.write(std::string(100000, '7'));
         },
         false},
        {"rename refused", taken,
         [&](Atomic_File& file) {
           file.write("newer");
           fs::create_directory(taken);
           write_bytes(taken + "/inside", "kept");
         },
         false},
    };
    for (const auto& save : saves) {
      SCOPED_TRACE(save.what);
      Atomic_File file(save.path, way);
      EXPECT_EQ(leftover_temp_files(folder.path()), way == Way::Named ? 1 : 0) << "the way taken";
      save.meanwhile(file);
      EXPECT_EQ(file.commit().empty(), save.saved);
      EXPECT_EQ(leftover_temp_files(folder.path()), 0);
    }
    EXPECT_EQ(read_bytes(target), "new");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, perms);
    EXPECT_EQ(read_bytes(taken + "/inside"), "kept");
  }
}

TEST(LineWriter, CrLfInCodePage932AndTheFirstBadCharacterRefused) {
  Line_Writer writer;
  for (const char* line : {"<条件設定>", "", "ｽﾀﾝﾀﾞｰﾄﾞ～"}) writer.line(line);
  writer.ascii(" 1500 ");
  writer.end_line();
  const std::string good = *utf8_to_cp932("<条件設定>\r\n\r\nｽﾀﾝﾀﾞｰﾄﾞ～\r\n 1500 \r\n");
  EXPECT_TRUE(writer.bytes() == good && !writer.failed());
  for (const char* line : {"価格 €5", "😀", "next"}) writer.line(line);
  EXPECT_EQ(writer.failed() ? writer.bad_character() : "", "€");
  EXPECT_EQ(writer.bytes(), good + "next\r\n") << "nothing of the refused lines, no replacement";
}

}  // namespace
}  // namespace quorin::text
