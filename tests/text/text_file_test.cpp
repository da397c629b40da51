// Text as the program reads and writes it: code page 932 both ways, the items of a count or help
// file, reading whole files, saving them in place and writing lines; and a run's own temporary
// folder: removed when the run ends, and by a later run when the run that made it was killed, never
// while its run lives.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "support/test_support.h"
#include "text/cp932.h"
#include "text/items.h"
#include "text/run_folder.h"
#include "text/text_file.h"

namespace quorin::text {
namespace {

namespace fs = std::filesystem;
using namespace quorin::testing;

// All bytes, also of a file whose size reads as 0, or a refusal; a file that looks binary holds a
// NUL or many control bytes.
TEST(TextFile, ReadsAllBytesOrRefusesAndWritesLinesInCodePage932) {
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
  // Lines are written with CR LF in code page 932; the first bad character is refused.
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

// Either way of the temporary file (unnamed where the system offers it, named where it does not):
// a save replaces the file, through a link too, keeping its permissions; a bare name goes to the
// working folder; a write cut short or a final rename that fails (a folder took the file's place
// meanwhile) leaves every file as it was. No temporary file is ever left behind.
TEST(SaveFile, EitherTemporaryWayReplacesOrLeavesNothingBehind) {
  using Way = Atomic_File::Temporary_Way;
  for (const Way way : {Way::Unnamed_Where_Offered, Way::Named}) {
    SCOPED_TRACE(way == Way::Named ? "named" : "unnamed");
    Scratch_Folder folder;  // the working directory
    const std::string target = folder.file("result.txt"), taken = folder.file("taken.txt");
    write_bytes(target, "old");
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(target, perms);
    fs::create_symlink(target, folder.file("link.txt"));
    const auto writes = [](const std::string& bytes) { return [bytes](Atomic_File& file) { file.write(bytes); }; };
    // What, the path saved, what happens meanwhile, whether it is saved.
    const std::tuple<const char*, std::string, std::function<void(Atomic_File&)>, bool> saves[] = {
        {"a bare name, longer", "result.txt", writes("first, longer"), true},
        {"through the link, shorter", folder.file("link.txt"), writes("new"), true},
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
    for (const auto& [what, path, meanwhile, saved] : saves) {
      SCOPED_TRACE(what);
      Atomic_File file(path, way);
      EXPECT_EQ(leftover_temp_files(folder.path()), way == Way::Named ? 1 : 0) << "the way taken";
      meanwhile(file);
      EXPECT_EQ(file.commit().empty(), saved);
      EXPECT_EQ(leftover_temp_files(folder.path()), 0);
      if (saved) { EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, perms); }
    }
    EXPECT_TRUE(fs::is_symlink(folder.file("link.txt")));
    EXPECT_EQ(read_bytes(target), "new");
    EXPECT_EQ(read_bytes(taken + "/inside"), "kept");
  }
}

TEST(Cp932, TheClassicTrapsRoundTripAndWhatDoesNotComeBackIsRefused) {
  std::string ascii;
  for (int c = 0; c < 0x80; ++c) ascii.push_back(static_cast<char>(c));
  // clang-format off
  const std::pair<std::string, std::string> pairs[] = {
      {ascii, ascii}, {ascii + "あ", ascii + "\x82\xA0"}, {"", ""}, {"～", "\x81\x60"} /* U+FF5E, not U+301C */,
      {"－", "\x81\x7C"}, {"∥", "\x81\x61"}, {"￠", "\x81\x91"}, {"￢", "\x81\xCA"}, {"髙", "\xFB\xFC"}, {"①", "\x87\x40"},
      {"ⅰ", "\xFA\x40"}, {"\u3000", "\x81\x40"}, {"ｽﾀﾝﾀﾞｰﾄﾞ", "\xBD\xC0\xDD\xC0\xDE\xB0\xC4\xDE"},
      {"\\", "\\"} /* 0x5C is the backslash, not the yen sign */};
  // clang-format on
  for (const auto& [utf8, cp932] : pairs) {
    EXPECT_EQ(utf8_to_cp932(utf8), cp932) << utf8;
    EXPECT_EQ(cp932_to_utf8(cp932), utf8) << utf8;
  }
  // NEC-selected IBM extensions read as the same characters as the IBM ones.
  EXPECT_EQ(cp932_to_utf8("\xEE\xEF\xED\x40"), std::string("ⅰ纊"));

  // Characters it cannot hold, characters glibc maps one way only (they would read back as
  // another), broken UTF-8 and bytes that are no code page 932: refused where they stand.
  // clang-format off
  const std::pair<std::string, std::size_t> texts[] = {
      {"ab😀", 2}, {"ab€cd", 2}, {"äx", 0}, {"한", 0}, {"\u00A0", 0}, {"日本¥", 6}, {"〜", 0}, {"−", 0}, {"‖", 0},
      {"ab\xC3", 2}, {"\xFF" "a", 0}, {"あ\xED\xA0\x80", 3}, {"\xC0\xAF", 0}};
  const std::pair<std::string, std::size_t> bytes[] = {
      {"ab\x81", 2}, {"a\x81\x20", 1}, {"\x82\xA0\x80", 2}, {"\xA0", 0}, {"\xFD", 0}, {"\xFF", 0}, {"\x81\x7F", 0}};
  // clang-format on
  Cp932_Error error;
  for (const auto& [text, offset] : texts)
    EXPECT_TRUE(!utf8_to_cp932(text, &error) && error.offset == offset) << text << " at " << error.offset;
  for (const auto& [text, offset] : bytes)
    EXPECT_TRUE(!cp932_to_utf8(text, &error) && error.offset == offset) << text << " at " << error.offset;
  utf8_to_cp932("ab\xC3", &error);
  EXPECT_EQ(error.character, "\\xC3");
}

// An empty line is an empty item, and so is a line of blanks; a lone CR ends a line; a trailing
// comma ends an empty item; what follows a closing quote is ignored.
TEST(ItemReader, SplitsAtCommasAndLineEndsAndCountsLinesAndLineReaderGivesLines) {
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      {" 1500 \r\n\r\n-3 \r\n", "1500@2|@3|-3@4|"}, {"1, 2,  3\r\n4", "1@1|2@1|3@2|4@2|"}, {"", ""},
      {"1\r\n2\n3\r4", "1@2|2@3|3@4|4@4|"},         {"1\r\r\n2", "1@2|@3|2@3|"},       {"1\n\r2", "1@2|@3|2@3|"},
      {"   \r\n5", "@2|5@2|"},                        {"  a b  ,c\t\r\n", "a b@1|c@2|"},   {"12,\r\n34", "12@1|@2|34@2|"},
      {",", "@1|@1|"},                                {"\"a,b\",c", "a,b@1|c@1|"},        {"  \"  a  \"  \r\n", "  a  @2|"},
      {"\"x\"junk,y", "x@1|y@1|"},                    {"\"\"", "@1|"},                    {"\"open, to the end", "open, to the end@1|"},
      {"\"two\r\nlines\",z\rf", "two\r\nlines@2|z@3|f@3|"}, {"1,\"ヘルプ,項目\",3", "1@1|ヘルプ,項目@1|3@1|"}};
  // clang-format on
  for (const auto& [text, expected] : cases) {
    std::string items;  // each with the line it ends on ("item@line", joined by "|")
    Item_Reader reader(text);
    while (auto item = reader.next()) items += std::string(*item) + "@" + std::to_string(reader.line_number()) + "|";
    EXPECT_TRUE(reader.at_end());
    EXPECT_EQ(items, expected) << text;
  }
  const std::string text = " 1500 \r\n";
  EXPECT_EQ(Item_Reader(text).next()->data(), text.data() + 1) << "views point into the text";
  // Lines alone, without items or quotes.
  std::string lines;
  Line_Reader reader("a\nb\rc\r\n\r\r\n a, \"b \r\n");
  while (auto line = reader.next()) lines += std::string(*line) + "|";
  EXPECT_TRUE(reader.at_end());
  EXPECT_EQ(lines, "a|b|c||| a, \"b |");
}

// A child process that makes a run folder, tells its path and then dies by SIGKILL or waits to be
// killed.
struct Child_Run {
  pid_t pid = -1;
  std::string folder;
  Child_Run(bool killed_at_once) {
    int told[2];
    EXPECT_EQ(::pipe(told), 0);
    pid = ::fork();
    if (pid == 0) {
      Run_Folder run("quorin-run");
      (void)!::write(told[1], run.path().c_str(), run.path().size() + 1);
      if (killed_at_once) ::raise(SIGKILL);
      ::pause();
      _exit(0);
    }
    char path[4096] = {};
    (void)!::read(told[0], path, sizeof path - 1);
    for (const int end : told) ::close(end);
    folder = path;
    if (killed_at_once) ::waitpid(pid, nullptr, 0);
  }
};

TEST(RunFolder, AFolderOfAKilledRunIsRemovedByTheNextOneAndALivingRunKeepsItsOwn) {
  Scratch_Folder temporary;
  const std::string previous = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
  ::setenv("TMPDIR", temporary.path().c_str(), 1);
  const Child_Run killed(true), living(false), fresh_killed(true);
  ASSERT_TRUE(fs::is_directory(killed.folder) && fs::is_directory(living.folder));
  // Without a lock: an empty old folder of an earlier version goes, one with files in it stays.
  const std::string empty_old = temporary.file("quorin-run-old1"), full_old = temporary.file("quorin-run-old2");
  fs::create_directory(empty_old);
  fs::create_directory(full_old);
  write_bytes(full_old + "/socket", "x");
  for (const std::string& folder : {killed.folder, living.folder, empty_old, full_old})
    fs::last_write_time(folder, fs::file_time_type::clock::now() - std::chrono::minutes(5));
  {
    const Run_Folder next("quorin-run");
    EXPECT_TRUE(fs::is_directory(next.path()));
    EXPECT_FALSE(fs::exists(killed.folder)) << "the killed run's folder is swept";
    EXPECT_FALSE(fs::exists(empty_old));
    EXPECT_TRUE(fs::exists(full_old));
    EXPECT_TRUE(fs::is_directory(living.folder)) << "a living run's folder is never taken";
    EXPECT_TRUE(fs::is_directory(fresh_killed.folder)) << "a folder made a moment ago may not be locked yet";
    ::kill(living.pid, SIGKILL);
    ::waitpid(living.pid, nullptr, 0);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(temporary.path()), fs::directory_iterator()), 3)
      << "the ended run removed its own folder";
  previous.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", previous.c_str(), 1);
}

}  // namespace
}  // namespace quorin::text
