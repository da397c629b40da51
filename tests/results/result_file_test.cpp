// The result file: its sections byte for byte for hand-worked assays, the conditions lines in
// front of them, and a save that is cancelled, refused or fails.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "conditions/reg_set.h"
#include "curve/curve_fixture.h"
#include "curve/fit_choice.h"
#include "curve/response.h"
#include "curve/samples.h"
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

// A large assay is shared among threads: the samples read and their lines written in parts must
// be exactly what one thread makes.
TEST(Result_File, SamplesAndTheirLinesMadeInPartsAreWhatOneThreadMakes) {
  auto s = testing::assay_with_means(4, 100, 5100);
  const double standards[] = {1, 2, 5, 10}, logits[] = {2, 0.7, -0.7, -2};
  for (int k = 1; k <= 4; ++k) testing::set_treated_standard(*s, k, standards[k - 1], logits[k - 1], {2600});
  testing::choose_cubic(*s, 2, std::log(3.0), -1, 0.01, -0.002, std::log(3.0), -1);
  ASSERT_TRUE(use_selected_fit(*s));
  s->Dilution_Factor = 2;
  s->Sample_Number = 16500;  // more than one round of sample lines
  s->Sample_Tubes = 2;
  std::mt19937 random(5);
  std::uniform_int_distribution<Long> count(-200, 5400);
  for (Long i = 1; i <= s->Sample_Number; ++i)
    for (int j = 1; j <= 2; ++j) s->Sample_Count(i, j) = random() % 7 == 0 ? 0 : count(random);

  auto samples_read = [&](int parts) {
    s->Sample_Conc.fill(-1);
    s->Sample_Data.fill(-1);
    s->Sample_Tube_N.fill(-1);
    read_samples(*s, sample_read_off(*s), parts);
    std::vector<double> read;
    for (Long i = 0; i <= s->Sample_Number + 1; ++i) {
      read.insert(read.end(), s->Sample_Conc.row(i), s->Sample_Conc.row(i) + Max_Tubes + 1);
      read.insert(read.end(), s->Sample_Data.row(i), s->Sample_Data.row(i) + 6);
      read.push_back(s->Sample_Tube_N(i));
    }
    text::Line_Writer out;
    write_result_sections(*s, out, parts);
    return std::make_pair(read, out.bytes());
  };
  const auto one_thread = samples_read(1);
  for (int parts : {2, 3, 8}) EXPECT_TRUE(samples_read(parts) == one_thread) << parts << " parts";
  // One line for every measured sample, in order.
  std::vector<std::string> named, measured;
  for (std::size_t at = 0; (at = one_thread.second.find("\nSample ", at)) != std::string::npos; ++at)
    named.push_back(one_thread.second.substr(at + 1, one_thread.second.find(',', at) - at - 1));
  for (Long i = 1; i <= s->Sample_Number; ++i)
    if (s->Sample_Tube_N(i) != 0) measured.push_back("Sample " + std::to_string(i));
  EXPECT_EQ(named, measured);
  // Each count is read once for all its tubes: every tube as if read by itself.
  const Tube_Read_Off read_off = sample_read_off(*s);
  for (Long i = 1; i <= s->Sample_Number; ++i)
    for (int j = 1; j <= 2; ++j) {
      const double percent = tube_percent(s->Sample_Count(i, j), 100, 5100);
      ASSERT_EQ(s->Sample_Conc(i, j), s->Sample_Count(i, j) != 0 ? read_off(percent).value_or(0) : 0) << i << ", " << j;
    }
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
