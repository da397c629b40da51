// The result file: its bytes for the hand-worked assay, the same bytes when a large assay is shared
// among threads, and a save that is cancelled, refused or fails.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "curve/curve_fixture.h"
#include "engine/fit_choice.h"
#include "engine/samples.h"
#include "results/result_file.h"
#include "results/results_procedures.h"
#include "state/program.h"
#include "support/hand_worked_assay.h"
#include "support/test_support.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

// A large assay is shared among threads: the samples read and their lines written in parts must
// be exactly what one thread makes, and each count read once for its tubes as if read alone.
TEST(Result_File, SamplesAndTheirLinesMadeInPartsAreWhatOneThreadMakes) {
  auto s = testing::assay_with_means(4, 100, 5100);
  const double standards[] = {1, 2, 5, 10}, logits[] = {2, 0.7, -0.7, -2};
  for (int k = 1; k <= 4; ++k) testing::set_treated_standard(*s, k, standards[k - 1], logits[k - 1], {2600});
  testing::choose_line(*s, 2, std::log(3.0), -1, {std::log(3.0), -1, 0.01, -0.002});
  const Curve_Outcome curve = make_curve_in_force(*s);
  ASSERT_TRUE(curve.curve);
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
    read_samples(*s, sample_read_off(*curve.curve), parts);
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
}

// Result_Output through the program: the conditions as shown, the dialog, the messages.
class Result_Output_Test : public ::testing::Test {
 protected:
  Result_Output_Test() : program(platform) {
    const std::pair<int, const char*> fields[] = {{0, "山田　花子"}, {3, "コルチゾール"}, {4, "μg/dl"}, {6, "1"},
                                                  {7, "2"},          {13, "0.5"}};
    for (const auto& [field, text] : fields) program.state.Condition_Texts[field] = text;
    testing::hand_worked(program.state);
    testing::as_computed(program.state);
  }

  testing::Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program;
};

// Saved, then saved again with a text it cannot hold: the file saved stays as it was.
TEST_F(Result_Output_Test, WritesTheConditionLinesThenTheResultsOrLeavesTheFileAsItWas) {
  Result_Output(program);  // the dialog cancelled: nothing written, nothing said
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
  const std::string path = folder.file("result.txt");
  platform.file_answers.push_back(path);
  Result_Output(program);
  ASSERT_EQ(platform.dialogs.size(), 2u);
  EXPECT_TRUE(platform.dialog_was_save[1]);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"データ保存が終了しました"});
  const std::string saved = testing::read_bytes(path);
  testing::expect_golden("hand_worked_result.txt", saved);

  // A condition text code page 932 cannot hold: refused, the file saved before kept. (Paths that
  // cannot be written are the file failures test's, for every save.)
  program.state.Condition_Texts[0] = "Señor";
  platform.messages.clear();
  platform.file_answers.push_back(path);
  Result_Output(program);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"結果を保存できません: " + path +
                                                        "\n条件設定の「ñ」はシフトJISで保存できない文字です"});
  EXPECT_EQ(testing::read_bytes(path), saved);
  EXPECT_EQ(testing::leftover_temp_files(folder.path()), 0);
}

}  // namespace
}  // namespace quorin
