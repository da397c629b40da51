// The result file: its sections byte for byte for hand-worked assays, the conditions lines in
// front of them, and a save that is cancelled, refused or fails.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "conditions/reg_set.h"
#include "results/result_file.h"
#include "results_fixture.h"
#include "state/program.h"
#include "state/screen_procedures.h"
#include "support/test_support.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

using testing::hand_worked;

constexpr const char* Separator = "-------,-------,-------,-------,-------,\r\n";

std::string sections_of(const Assay_State& s) {
  text::Line_Writer out;
  write_result_sections(s, out);
  EXPECT_FALSE(out.failed());
  return out.bytes();
}

TEST(Result_File, HandWorkedAssayByteForByte) {
  auto s = std::make_unique<Assay_State>();
  hand_worked(*s);
  const std::string expected =
      std::string() +
      " 1 ,NSB, 152 \r\n"
      " 2 ,NSB, 148 \r\n"
      ",, 150 , 1.88 \r\n"  // NSB and TOTAL have no B/B0
      " 3 ,TOTAL, 20110 \r\n"
      " 4 ,TOTAL, 20090 \r\n"
      ",, 20100 , .0703 \r\n"
      " 5 ,ST 0, 9012 \r\n"
      " 6 ,ST 0, 8989 \r\n"
      ",, 9000.5 , .7 , 100 \r\n"
      " 7 ,ST 1, 4000 \r\n"
      ",, 4000 , 0 , 44.456 \r\n" +
      Separator +
      " 8 , 5010 , 1.2345 \r\n"  // serum 1 has no line at all
      " 9 , 4990 , 1.25 \r\n"
      "Sera 2,, 1.24225 , .0155 , .882 \r\n" +
      Separator +
      "Sample 1, 12.1 , .4 , 121 , 2.6 , 2 ,, 1234 , 12.3 ,, 1300 , 11.9 ,, 0 , 0 ,\r\n"
      "Sample 3, .333333333333333 , 0 , 3.33333333333333 , 0 , 0 ,, 800 , .333333333333333 ,\r\n";
  EXPECT_EQ(sections_of(*s), expected);
}

TEST(Result_File, WithoutStandardsTheTubeNumberGoesOnIntoTheSera) {
  auto s = std::make_unique<Assay_State>();
  s->STD_Tubes = 2;
  for (int k = 1; k <= 3; ++k) {
    s->STD_Tube_N(k) = 2;
    s->STD_Count(k, 1) = 100 * k, s->STD_Count(k, 2) = 100 * k + 1;
    s->STD_Data(k, 1) = 100 * k + 0.5;
  }
  const std::string standards =
      " 1 ,NSB, 100 \r\n 2 ,NSB, 101 \r\n,, 100.5 , 0 \r\n"
      " 3 ,TOTAL, 200 \r\n 4 ,TOTAL, 201 \r\n,, 200.5 , 0 \r\n"
      " 5 ,ST 0, 300 \r\n 6 ,ST 0, 301 \r\n,, 300.5 , 0 , 0 \r\n";
  EXPECT_EQ(sections_of(*s), standards + Separator + Separator) << "no sera, no samples: two separators in a row";

  s->Sera_Number = 1;
  s->Sera_Tubes = 1;
  s->Sera_Tube_N(1) = 1;
  s->Sera_Count(1, 1) = 4321;
  s->Sera_Conc(1, 1) = 0.05;
  EXPECT_EQ(sections_of(*s), standards + Separator + " 7 , 4321 , .05 \r\nSera 1,, 0 , 0 , 0 \r\n" + Separator);
}

TEST(Result_File, ValuesThatAreNotFiniteAreLeftEmpty) {
  auto s = std::make_unique<Assay_State>();
  s->Sample_Number = 1;
  s->Sample_Tube_N(1) = 1;
  s->Sample_Count(1, 1) = 1234;
  s->Sample_Conc(1, 1) = std::nan("");
  s->Sample_Data(1, 1) = HUGE_VAL;
  const std::string bytes = sections_of(*s);
  EXPECT_NE(bytes.find("Sample 1,, 0 , 0 , 0 , 0 ,, 1234 ,,\r\n"), std::string::npos) << bytes;
}

// Result_Output through the program: the conditions screen's boxes, the dialog, the messages.
class Result_Output_Test : public ::testing::Test {
 protected:
  Result_Output_Test() : program(platform) {
    program.load(Screen::Conditions);
    conditions = program.screen_as<Reg_Set>(Screen::Conditions);
  }
  void set_boxes() {
    for (int i = 0; i <= 32; ++i) conditions->info[i].text = "";
    conditions->info[0].text = "山田　花子";
    conditions->info[3].text = "コルチゾール";
    conditions->info[4].text = "μg/dl";
    conditions->info[6].text = "1";
    conditions->info[7].text = "2";
    conditions->info[13].text = "0.5";
  }
  std::string condition_lines() const {
    std::string lines;
    for (int i = 0; i <= 32; ++i) lines += testing::cp932(conditions->info[i].text) + "\r\n";
    return lines;
  }

  testing::Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program;
  Reg_Set* conditions = nullptr;
};

TEST_F(Result_Output_Test, WritesTheConditionLinesThenTheResults) {
  ASSERT_NE(conditions, nullptr);
  set_boxes();
  hand_worked(program.state);
  testing::as_computed(program.state);
  platform.file_answers.push_back(folder.file("result.txt"));
  Result_Output(program);

  ASSERT_EQ(platform.dialogs.size(), 1u);
  EXPECT_TRUE(platform.dialog_was_save[0]);
  EXPECT_EQ(platform.dialogs[0].filter, "ﾃｷｽﾄ(*.txt)|*.txt");
  EXPECT_EQ(platform.dialogs[0].default_extension, "txt");
  EXPECT_EQ(platform.dialogs[0].title, "");
  EXPECT_EQ(platform.messages, std::vector<std::string>{"データ保存が終了しました"});
  EXPECT_EQ(testing::read_bytes(folder.file("result.txt")), condition_lines() + sections_of(program.state));
}

TEST_F(Result_Output_Test, CancelledDialogWritesNothingAndSaysNothing) {
  testing::as_computed(program.state);
  Result_Output(program);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST_F(Result_Output_Test, RefusedSavesLeaveTheEarlierFileAsItWas) {
  set_boxes();
  testing::as_computed(program.state);
  const std::string path = folder.file("result.txt");
  testing::write_bytes(path, "earlier results\r\n");

  struct Case {
    const char* what;
    std::string path, box_text, message_start, message_part;
  };
  std::filesystem::create_directory(folder.file("folder.txt"));
  const Case cases[] = {
      {"a condition text code page 932 cannot hold", path, "Señor", "結果を保存できません: " + path, "「ñ」"},
      {"a path that is a folder", folder.file("folder.txt"), "山田", "ファイルを保存できません: ", "folder.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform.messages.clear();
    conditions->info[0].text = c.box_text;
    platform.file_answers.push_back(c.path);
    Result_Output(program);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].rfind(c.message_start, 0), 0u) << platform.messages[0];
    EXPECT_NE(platform.messages[0].find(c.message_part), std::string::npos) << platform.messages[0];
    EXPECT_EQ(testing::read_bytes(path), "earlier results\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("folder.txt")));
  }
}

}  // namespace
}  // namespace quorin
