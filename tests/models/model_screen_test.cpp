// The model screen as a user meets it: reached from the fitted curves only, the curve chosen on it
// is the one the result tables then name and use (results shown before are not left standing),
// a curve that cannot be computed is refused, and its print button prints one page that fits.

#include <gtest/gtest.h>

#include "batch/batch_fixture.h"
#include "conditions/reg_set.h"
#include "graph/reg_graph.h"
#include "models/reg_model.h"
#include "results/reg_result.h"
#include "state/navigation.h"
#include "state/program.h"
#include "support/form_driver.h"
#include "support/screen_text.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

using testing::click;

class Model_Screen : public ::testing::Test {
 protected:
  // The example assay through the wizard: its tables shown, the fitted curves behind them.
  Model_Screen() : program(platform) {
    program.show(Screen::Conditions);
    platform.file_answers = {testing::Example_Conditions, testing::Example_Counts};
    click(program.screen_as<Reg_Set>(Screen::Conditions)->Command[target::Wizard]);
  }
  Reg_Graph& graph() { return *program.screen_as<Reg_Graph>(Screen::Graph); }
  Reg_Model& models() { return *program.screen_as<Reg_Model>(Screen::Model); }

  testing::Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program;
};

TEST_F(Model_Screen, TheChosenCurveIsTheOneTheResultsUse) {
  program.desktop.show(graph());
  click(graph().Command[target::Switch_View]);  // the standard plot
  EXPECT_FALSE(graph().Command[target::Models].visible) << "the model screen is reached from the fitted curves only";
  click(graph().Command[target::Switch_View]);
  click(graph().Command[target::Models]);
  ASSERT_EQ(program.desktop.front(), &models());
  EXPECT_EQ(models().Table.cell(0, 1), "ロジット・ログ 重無1次");
  click(models().Weight_Choice[2]);
  click(models().Model_Choice[Five_PL]);
  EXPECT_EQ(program.screen(Screen::Result), nullptr) << "the tables of the logit-log fit are gone";
  click(models().Command[target::Results]);
  auto& results = *program.screen_as<Reg_Result>(Screen::Result);
  click(results.Command[target::Sera_Table]);
  EXPECT_EQ(results.caption, "管理血清測定値( 5PL CV一定)");

  // Its print button prints one page, every mark inside it (golden/model_page.txt).
  program.desktop.show(models());
  click(models().Command[target::Print]);
  EXPECT_EQ(platform.recorder.documents(), 1);
  EXPECT_EQ(platform.messages.back(), "印刷が終了しました");
  testing::expect_golden("model_page.txt", testing::ops_text(platform.recorder.ops()));

  // A weighting under which the model in use cannot be fitted is refused and changes nothing.
  program.state.STD_Data(4, 1) = 0;  // standard 1's mean count
  platform.messages.clear();
  click(models().Weight_Choice[1]);
  EXPECT_EQ(program.state.Model_Weight, 2);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("重み付け「計数統計」を使えません"), std::string::npos) << platform.messages[0];

  // A logit-log fit chosen on the curve screen takes over again.
  program.desktop.show(graph());
  click(graph().Choice[5]);
  EXPECT_EQ(program.state.Curve_Model, Logit_Log);
  EXPECT_EQ(program.screen(Screen::Result), nullptr);
}

TEST_F(Model_Screen, ACurveThatCannotBeComputedIsRefused) {
  testing::type_over(graph().Range_Box[1], "3");
  testing::press(graph().Range_Box[1], ui::Key_Return);
  click(graph().Command[target::Models]);
  platform.messages.clear();
  click(models().Model_Choice[Five_PL]);
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{
                "5PL は使えません\n5PL：濃度が 4 種類しかありません（ゼロ標準を含めて 5 種類以上が必要です）"});
  EXPECT_EQ(program.state.Curve_Model, Logit_Log);
  EXPECT_TRUE(models().Model_Choice[Logit_Log].value);
  EXPECT_EQ(models().Notice.caption, "5PL：濃度が 4 種類しかありません（ゼロ標準を含めて 5 種類以上が必要です）");
}

}  // namespace
}  // namespace quorin
