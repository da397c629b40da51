// The program's own files when the file system refuses them. An assay is loaded from the example
// files through the wizard; then every save (conditions, counts, results) is sent where it must
// fail and every load is given a file it cannot use. Each time the user reads one clear message,
// the earlier file and the assay stay exactly as they were, and the next valid action works as if
// nothing had happened.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_fixture.h"
#include "data/data_procedures.h"
#include "navigation/navigation.h"
#include "state/program_fixture.h"
#include "state/work_screen.h"
#include "support/assay_digest.h"

namespace quorin {
namespace {

namespace fs = std::filesystem;

class Loaded_Assay : public testing::Example_Assay_Test {
 protected:
  void SetUp() override { ASSERT_NE(program.screen(Screen::Result), nullptr) << "the wizard reached the results"; }

  // Answers the next file dialog with `path`, clicks the screen's command button with the size of
  // any file written limited to `size_limit` and returns the messages shown.
  std::vector<std::string> click_with_file(Screen screen, int command, const std::string& path,
                                           rlim_t size_limit = RLIM_INFINITY) {
    const testing::File_Size_Limit limit(size_limit);
    platform.messages.clear();
    platform.file_answers = {path};
    testing::click(program.screen_as<Work_Screen>(screen)->Command[command]);
    return platform.messages;
  }

  // The messages of each refusal, recorded in golden/save_refusals.txt and golden/load_refusals.txt:
  // one naming the path and why.
  std::string refusals;
};

const struct {
  const char* name;
  Screen screen;
  int command;
  std::vector<std::string> success;  // the messages of a good save
} Saves[] = {
    {"conditions", Screen::Conditions, target::Save_Conditions, {}},
    {"counts", Screen::Data, target::Save, {"データ保存が終了しました"}},
    {"results", Screen::Result, target::Save, {"データ保存が終了しました"}},
};

// A failed save gives one message naming the path and the reason; the assay, what stood in the
// way and the folder are as they were; the next save gives the same bytes as before.
TEST_F(Loaded_Assay, EverySaveThatFailsIsReportedAndChangesNothing) {
  // What stands in the way: a folder of the name, a file where a folder must be, a device, a
  // file the save may not finish under a size limit.
  fs::create_directory(folder.file("folder.txt"));
  testing::write_bytes(folder.file("folder.txt/inside.txt"), "kept");
  testing::write_bytes(folder.file("plain"), "kept");
  testing::write_bytes(folder.file("earlier.txt"), "the earlier file\r\n");
  for (const auto& save : Saves) {
    ASSERT_EQ(click_with_file(save.screen, save.command, folder.file("good.txt")), save.success) << save.name;
    const std::string good_bytes = testing::read_bytes(folder.file("good.txt"));
    ASSERT_FALSE(good_bytes.empty()) << save.name;
    for (const std::string& path :
         {folder.file("no such folder/saved.txt"), folder.file("folder.txt"), folder.file("plain/saved.txt"),
          std::string("/dev/full"), folder.file("earlier.txt")}) {
      SCOPED_TRACE(std::string(save.name) + ": " + path);
      const std::uint64_t digest = testing::assay_digest(program.state);
      refusals += std::string("## ") + save.name + "\n" +
                  testing::lines_of(click_with_file(save.screen, save.command, path,
                                                    path.ends_with("earlier.txt") ? 8 : RLIM_INFINITY));
      EXPECT_EQ(testing::assay_digest(program.state), digest);
      EXPECT_EQ(testing::leftover_temp_files(folder.path()), 0);
      EXPECT_EQ(click_with_file(save.screen, save.command, folder.file("after.txt")), save.success);
      EXPECT_EQ(testing::read_bytes(folder.file("after.txt")), good_bytes) << "the next save differs";
    }
    EXPECT_EQ(testing::read_bytes(folder.file("earlier.txt")), "the earlier file\r\n");
    EXPECT_EQ(testing::read_bytes(folder.file("folder.txt/inside.txt")), "kept");
    EXPECT_EQ(testing::read_bytes(folder.file("plain")), "kept");
    EXPECT_TRUE(fs::is_character_file("/dev/full")) << "/dev/full was replaced by a file";
  }
  testing::replace_all(refusals, folder.path().string(), "<folder>");
  testing::expect_golden("save_refusals.txt", refusals);
}

const std::string Long_Line(10u << 20, '7');
// A condition file cut inside a two-byte character.
const std::string Cut_Character =
    testing::cp932("山田\r\n2024/01/15\r\nコルチゾール\r\nμg/dL\r\n1\r\n4\r\n") + "2\r\n2\r\n2\r\n2\r\n1\r\n1\r\n\x8e";

// A file either loader cannot use is refused with one message naming it and why; the assay and
// the screen's caption stay. (Opening a condition file closes the sheet, so the count files come first.
// The condition file's other refusals, and its boxes after a refusal, are the condition screen's
// own tests.)
TEST_F(Loaded_Assay, AFileThatCannotBeLoadedIsRefusedAndNothingChanges) {
  const std::string example = testing::read_bytes(testing::Example_Counts);
  const struct {
    Screen screen;
    std::string name;                  // "" for the folder itself
    std::optional<std::string> bytes;  // none: no such file
  } cases[] = {
      {Screen::Data, "binary.txt", std::string("\177ELF\2\1\1\0\0\0\0\0\0\0\0\0\3\0", 18)},
      {Screen::Data, "missing.txt", std::nullopt},
      {Screen::Data, "huge number.txt", Long_Line},
      {Screen::Data, "", ""},
      {Screen::Data, "empty.txt", ""},
      {Screen::Data, "wide.txt", testing::cp932("１２３４\r\n") + example},
      {Screen::Data, "two numbers.txt", example + "12 34\r\n"},
      {Screen::Conditions, "cut.crx", Cut_Character},
      {Screen::Conditions, "long.crx", Long_Line},
      {Screen::Conditions, "", ""},
  };
  const std::uint64_t digest = testing::assay_digest(program.state);
  // A count file refused, or its dialog cancelled (which says nothing), stops a running wizard.
  for (const std::string& path : {folder.file("missing.txt"), std::string()}) {
    platform.messages.clear();
    platform.file_answers = {path};
    state.Wizard_Mode = Wizard::Running;
    Data_Load(program);
    EXPECT_EQ(platform.messages.size(), path.empty() ? 0u : 1u);
    EXPECT_EQ(state.Wizard_Mode, Wizard::Idle);
  }
  for (const auto& c : cases) {
    const std::string path = c.name.empty() ? folder.path().string() : folder.file(c.name);
    SCOPED_TRACE(path);
    if (!c.name.empty() && c.bytes) testing::write_bytes(path, *c.bytes);
    const std::string caption = program.screen(c.screen)->caption;
    refusals += testing::lines_of(click_with_file(c.screen, target::Open_File, path));
    EXPECT_EQ(testing::assay_digest(program.state), digest);
    EXPECT_EQ(program.screen(c.screen)->caption, caption);
  }
  // The program goes on: the examples load again, the counts leaving the same assay.
  program.show(Screen::Data);
  EXPECT_TRUE(click_with_file(Screen::Data, target::Open_File, testing::Example_Counts).empty());
  EXPECT_EQ(testing::assay_digest(program.state), digest);
  EXPECT_TRUE(click_with_file(Screen::Conditions, target::Open_File, testing::Example_Conditions).empty());
  testing::replace_all(refusals, folder.path().string(), "<folder>");
  testing::expect_golden("load_refusals.txt", refusals);
}

}  // namespace
}  // namespace quorin
