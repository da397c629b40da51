// The program's own files when the file system refuses them. An assay is loaded from the example
// files through the wizard; then every save (conditions, counts, results) is sent where it must
// fail, every load is given a file it cannot use, and "temp.dat" cannot be made. Each time the
// user reads one clear message, the earlier file and the assay stay exactly as they were, and the
// next valid action works as if nothing had happened.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "batch/batch_fixture.h"
#include "conditions/reg_set.h"
#include "data/reg_data.h"
#include "data/scratch_file.h"
#include "help/help_file.h"
#include "results/reg_result.h"
#include "state/navigation.h"
#include "state/program.h"
#include "state/reg_intro.h"
#include "state/screen_procedures.h"
#include "support/assay_digest.h"
#include "support/form_driver.h"
#include "support/test_support.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

namespace fs = std::filesystem;

const std::string Examples = std::string(QUORIN_SOURCE_DIR) + "/examples";
const std::string Example_Conditions = Examples + "/cortisol.crx";
const std::string Example_Counts = Examples + "/cortisol_counts.txt";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

using quorin::testing::leftover_temp_files;

using quorin::testing::File_Size_Limit;

class Loaded_Assay : public ::testing::Test {
 protected:
  Loaded_Assay() : program(platform) {}

  void SetUp() override {
    program.start();
    testing::click(program.screen_as<Reg_Intro>(Screen::Intro)->Command1);
    platform.file_answers = {Example_Conditions, Example_Counts};
    testing::click(program.screen_as<Reg_Set>(Screen::Conditions)->Command[target::Wizard]);
    ASSERT_NE(program.screen(Screen::Result), nullptr) << "the wizard reached the results";
    ASSERT_NE(program.screen(Screen::Data), nullptr);
    platform.messages.clear();
  }

  // Answers the next file dialog with `path` and clicks the button.
  void click_with_file(ui::Command_Button& button, const std::string& path) {
    platform.file_answers = {path};
    testing::click(button);
  }

  testing::Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program;
};

// ---------------------------------------------------------------------------------------------
// Saving

struct Save_Action {
  const char* name;
  std::function<ui::Command_Button&(Program&)> button;
  const char* success_message;  // "" when a good save shows none
};

const Save_Action Saves[] = {
    {"conditions",
     [](Program& p) -> ui::Command_Button& {
       return p.screen_as<Reg_Set>(Screen::Conditions)->Command[target::Save_Conditions];
     },
     ""},
    {"counts",
     [](Program& p) -> ui::Command_Button& { return p.screen_as<Reg_Data>(Screen::Data)->Command[target::Save]; },
     "データ保存が終了しました"},
    {"results",
     [](Program& p) -> ui::Command_Button& { return p.screen_as<Reg_Result>(Screen::Result)->Command[target::Save]; },
     "データ保存が終了しました"},
};

struct Save_Failure {
  const char* name;
  // Prepares the place and returns the path the dialog answers with.
  std::function<std::string(const testing::Scratch_Folder&)> place;
  const char* reason;
};

const Save_Failure Save_Failures[] = {
    {"a missing folder", [](const testing::Scratch_Folder& f) { return f.file("no such folder/saved.txt"); },
     "ファイルまたはフォルダがありません"},
    {"a folder of /proc, where nothing can be created",
     [](const testing::Scratch_Folder&) { return std::string("/proc/quorin-saved.txt"); }, "ファイルを保存できません"},
    {"a path that is a folder",
     [](const testing::Scratch_Folder& f) {
       fs::create_directory(f.file("folder.txt"));
       testing::write_bytes(f.file("folder.txt/inside.txt"), "kept");
       return f.file("folder.txt");
     },
     "フォルダです"},
    {"a folder that is a file",
     [](const testing::Scratch_Folder& f) {
       testing::write_bytes(f.file("plain"), "kept");
       return f.file("plain/saved.txt");
     },
     "フォルダではありません"},
    {"the full device /dev/full", [](const testing::Scratch_Folder&) { return std::string("/dev/full"); },
     "通常のファイルではありません"},
};

class Failed_Save : public Loaded_Assay {
 protected:
  // Saves to a good file and returns its bytes: what any later good save must give again.
  std::string good_save(const Save_Action& action, const std::string& name) {
    platform.messages.clear();
    click_with_file(action.button(program), folder.file(name));
    EXPECT_EQ(platform.messages,
              action.success_message[0] ? std::vector<std::string>{action.success_message} : std::vector<std::string>{})
        << action.name;
    return testing::read_bytes(folder.file(name));
  }

  // The failed save gave one message naming the path and the reason; the assay, the earlier file
  // and the folder are as they were; the next save gives the same bytes as before.
  void expect_clean_failure(const Save_Action& action, const std::string& path, const std::string& reason,
                            const std::string& digest_before, const std::string& good_bytes) {
    ASSERT_EQ(platform.messages.size(), 1u) << action.name;
    EXPECT_TRUE(contains(platform.messages[0], "保存できません: " + path)) << platform.messages[0];
    EXPECT_TRUE(contains(platform.messages[0], reason)) << platform.messages[0];
    EXPECT_EQ(testing::assay_digest(program.state), digest_before) << action.name << ": the assay changed";
    EXPECT_EQ(leftover_temp_files(folder.path()), 0);
    EXPECT_EQ(good_save(action, "after.txt"), good_bytes) << action.name << ": the next save differs";
  }
};

TEST_F(Failed_Save, EverySaveToAPlaceThatRefusesItIsReportedAndChangesNothing) {
  for (const Save_Action& action : Saves) {
    const std::string good_bytes = good_save(action, std::string("before-") + action.name + ".txt");
    ASSERT_FALSE(good_bytes.empty()) << action.name;
    for (const Save_Failure& failure : Save_Failures) {
      SCOPED_TRACE(std::string(action.name) + " saved to " + failure.name);
      const std::string path = failure.place(folder);
      const std::string digest = testing::assay_digest(program.state);
      platform.messages.clear();
      click_with_file(action.button(program), path);
      expect_clean_failure(action, path, failure.reason, digest, good_bytes);
    }
    // Nothing was written into or over what stood in the way.
    EXPECT_EQ(testing::read_bytes(folder.file("folder.txt/inside.txt")), "kept");
    EXPECT_EQ(testing::read_bytes(folder.file("plain")), "kept");
    struct stat device {};
    ASSERT_EQ(stat("/dev/full", &device), 0);
    EXPECT_TRUE(S_ISCHR(device.st_mode)) << "/dev/full was replaced by a file";
    fs::remove_all(folder.file("folder.txt"));
    fs::remove(folder.file("plain"));
  }
}

TEST_F(Failed_Save, ASaveThatFailsHalfWayLeavesTheEarlierFileWhole) {
  for (const Save_Action& action : Saves) {
    SCOPED_TRACE(action.name);
    const std::string good_bytes = good_save(action, "good.txt");
    const std::string path = folder.file("earlier.txt");
    const std::string earlier = "the earlier file\r\n";
    testing::write_bytes(path, earlier);
    const std::string digest = testing::assay_digest(program.state);
    platform.messages.clear();
    {
      const File_Size_Limit limit(8);  // far less than any of the three files
      click_with_file(action.button(program), path);
    }
    EXPECT_EQ(testing::read_bytes(path), earlier);
    expect_clean_failure(action, path, "ファイルが大きすぎます", digest, good_bytes);
  }
}

// ---------------------------------------------------------------------------------------------
// Loading

struct Bad_File {
  const char* name;
  std::string bytes;
  const char* condition_reason;  // the condition file loader's message holds this
};

std::string thirteen_lines(const std::string& tail) {
  return testing::cp932("山田\r\n2024/01/15\r\nコルチゾール\r\nμg/dL\r\n1\r\n4\r\n") + tail;
}

// The first bytes of a program file.
constexpr char elf_bytes[] =
    "\x7f"
    "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0";
const std::string elf_header(elf_bytes, sizeof elf_bytes - 1);

const std::vector<Bad_File>& bad_files() {
  static const std::vector<Bad_File> files = {
      {"empty", "", "ファイルが空です"},
      {"cut inside a two-byte character", thirteen_lines("2\r\n2\r\n2\r\n2\r\n1\r\n1\r\n\x8e"),
       "シフトJISとして読めない"},
      {"binary", elf_header, "テキストファイルではありません"},
      {"a 10 MB line without a line end", std::string(10u << 20, '7'), "ファイルが大きすぎます"},
      {"bytes that are not code page 932", "a\r\nb\r\n\x81\x7f\x85\x40\r\n", "3行目にシフトJISとして読めない"},
  };
  return files;
}

class Failed_Load : public Loaded_Assay {};

TEST_F(Failed_Load, AConditionFileThatCannotBeUsedIsRefusedAndTheBoxesStay) {
  auto& conditions = *program.screen_as<Reg_Set>(Screen::Conditions);
  std::vector<std::string> boxes;
  for (int i = 0; i <= 32; ++i) boxes.push_back(conditions.info[i].text);
  const std::string digest = testing::assay_digest(program.state);

  std::vector<std::pair<std::string, std::string>> cases;  // path, reason
  for (const Bad_File& bad : bad_files()) {
    const std::string path = folder.file(std::string(bad.name) + ".crx");
    testing::write_bytes(path, bad.bytes);
    cases.emplace_back(path, bad.condition_reason);
  }
  cases.emplace_back(folder.path().string(), "フォルダです");
  cases.emplace_back("/dev/full", "通常のファイルではありません");

  for (const auto& [path, reason] : cases) {
    SCOPED_TRACE(path);
    platform.messages.clear();
    click_with_file(conditions.Command[target::Open_File], path);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_TRUE(contains(platform.messages[0], path)) << platform.messages[0];
    EXPECT_TRUE(contains(platform.messages[0], reason)) << platform.messages[0];
    for (int i = 0; i <= 32; ++i) EXPECT_EQ(conditions.info[i].text, boxes[i]) << "box " << i;
    EXPECT_EQ(testing::assay_digest(program.state), digest);
  }

  // The program goes on: the example loads again and leaves the same assay.
  platform.messages.clear();
  click_with_file(conditions.Command[target::Open_File], Example_Conditions);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(program.state.Condition_File, Example_Conditions);
}

// The first `lines` lines of a text.
std::string first_lines(const std::string& text, int lines) {
  std::size_t end = 0;
  for (int line = 0; line < lines; ++line) end = text.find('\n', end) + 1;
  return text.substr(0, end);
}

// A batch run of the example conditions with the count file.
void batch_with_counts(const std::string& counts, const std::string& result, testing::Batch_Outcome& outcome) {
  batch::Batch_Options options;
  options.conditions = Example_Conditions;
  options.counts = counts;
  options.result = result;
  testing::run_in_process(options, outcome);
}

TEST_F(Failed_Load, ACountFileThatCannotBeReadIsRefusedAndTheCountsStay) {
  auto& sheet = *program.screen_as<Reg_Data>(Screen::Data);
  const std::string digest = testing::assay_digest(program.state);
  const std::string example = testing::read_bytes(Example_Counts);
  const struct {
    std::string name;  // "" for a folder
    std::string bytes;
    std::string reason;
  } cases[] = {
      {"binary.txt", bad_files()[2].bytes, "テキストファイルではありません"},
      {"huge number.txt", bad_files()[3].bytes, "1 行目の測定値が大きすぎます"},  // 10 MB of 7s, one line
      {"", "", "フォルダです"},
      {"empty.txt", "", "ファイルが空です"},
      {"letter.txt", first_lines(example, 5) + "12x\r\n" + example, "6 行目「12x」は測定値ではありません"},
      {"words.txt", "abc\r\n" + example, "1 行目「abc」は測定値ではありません"},
      {"nan.txt", "nan\r\n" + example, "1 行目「nan」は測定値ではありません"},
      {"wide digits.txt", testing::cp932("１２３４\r\n") + example, "1 行目「１２３４」は測定値ではありません"},
      {"header.txt", "NSB,TOTAL\r\n" + example, "1 行目「NSB」は測定値ではありません"},
      {"two numbers.txt", example + "12 34\r\n", "129 行目「12 34」は測定値ではありません"},
  };
  for (const auto& c : cases) {
    const std::string path = c.name.empty() ? folder.path().string() : folder.file(c.name);
    SCOPED_TRACE(path);
    if (!c.name.empty()) testing::write_bytes(path, c.bytes);
    platform.messages.clear();
    click_with_file(sheet.Command[target::Open_File], path);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_TRUE(contains(platform.messages[0], path)) << platform.messages[0];
    EXPECT_TRUE(contains(platform.messages[0], c.reason)) << platform.messages[0];
    EXPECT_EQ(testing::assay_digest(program.state), digest);

    testing::Batch_Outcome batch;
    batch_with_counts(path, folder.file("result.txt"), batch);
    EXPECT_EQ(batch.status, batch::Exit_Failed);
    EXPECT_TRUE(contains(batch.errors, c.reason)) << batch.errors;
    EXPECT_FALSE(fs::exists(folder.file("result.txt")));
  }

  platform.messages.clear();
  click_with_file(sheet.Command[target::Open_File], Example_Counts);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(testing::assay_digest(program.state), digest) << "the same counts load again";
}

TEST_F(Loaded_Assay, ACountFileShorterThanTheConditionsLoadsWithTheRestEmptyAndSaysSo) {
  // The standards only: no sera, no samples.
  const std::string path = folder.file("standards only.txt");
  testing::write_bytes(path, first_lines(testing::read_bytes(Example_Counts), 22));
  const std::string warning =
      "データファイルの測定値は 22 個で、条件の 128 個に足りません。\n残りの 106 本は空のチューブになりました";

  click_with_file(program.screen_as<Reg_Data>(Screen::Data)->Command[target::Open_File], path);
  EXPECT_EQ(platform.messages, std::vector<std::string>{warning});
  EXPECT_EQ(program.state.Sample_Number, 50);
  for (Long sample = 1; sample <= 50; ++sample) EXPECT_EQ(program.state.Sample_Count(sample, 2), 0) << sample;
  EXPECT_EQ(program.state.Sera_Count(3, 1), 0);

  testing::Batch_Outcome batch;
  batch_with_counts(path, folder.file("result.txt"), batch);
  EXPECT_EQ(batch.status, batch::Exit_Done);
  EXPECT_TRUE(batch.errors.starts_with(warning + "\n")) << batch.errors;
}

TEST_F(Failed_Load, HelpFilesThatCannotBeReadGiveAMessageAndNoTopics) {
  const std::pair<std::size_t, const char*> cases[] = {
      {1, "シフトJIS"}, {2, "テキストファイルではありません"}, {4, "シフトJIS"}};
  for (const auto& [index, reason] : cases) {
    const Bad_File& bad = bad_files()[index];
    SCOPED_TRACE(bad.name);
    testing::write_bytes(folder.file(help::Help_File_Name), bad.bytes);
    testing::write_bytes(folder.file(help::Readme_File_Name), bad.bytes);
    const help::Help_Read topics = help::read_help_topics({folder.path().string()});
    const help::Readme_Read readme = help::read_readme_lines({folder.path().string()});
    EXPECT_TRUE(topics.topics.empty());
    EXPECT_TRUE(readme.lines.empty());
    EXPECT_TRUE(contains(topics.message, reason)) << topics.message;
    EXPECT_TRUE(contains(readme.message, reason)) << readme.message;
  }
  // A 10 MB line is one item: no complete record, and the message says which line.
  testing::write_bytes(folder.file(help::Help_File_Name), bad_files()[3].bytes);
  const help::Help_Read topics = help::read_help_topics({folder.path().string()});
  EXPECT_TRUE(topics.topics.empty());
  EXPECT_TRUE(contains(topics.message, "1行目の項目は4つの欄がそろっていない")) << topics.message;
}

// ---------------------------------------------------------------------------------------------
// The scratch file

TEST_F(Loaded_Assay, ASheetWhoseScratchFileCannotBeMadeIsNotShownAndTheNextTryWorks) {
  program.close(Screen::Data);
  const std::string digest = testing::assay_digest(program.state);
  fs::remove(folder.file(Scratch_File_Name));
  fs::create_directory(folder.file(Scratch_File_Name));  // a folder where the file must go

  program.show(Screen::Data);
  EXPECT_EQ(program.screen(Screen::Data), nullptr);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_TRUE(contains(platform.messages[0], Scratch_File_Name)) << platform.messages[0];
  EXPECT_EQ(testing::assay_digest(program.state), digest);

  fs::remove(folder.file(Scratch_File_Name));
  platform.messages.clear();
  program.show(Screen::Data);
  auto* sheet = program.screen_as<Reg_Data>(Screen::Data);
  ASSERT_NE(sheet, nullptr);
  EXPECT_TRUE(sheet->Cell_Set());
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(testing::assay_digest(program.state), digest);
  EXPECT_EQ(fs::file_size(folder.file(Scratch_File_Name)), 8u * static_cast<unsigned>(program.state.Total_Tubes));
}

}  // namespace
}  // namespace quorin
