// The model screen as a user meets it: reached from the fitted curves only, the curve chosen on it
// is the one the result tables then name and use (results shown before are not left standing),
// a curve that cannot be computed is refused, and its print button prints one page that fits.
// Every open window follows the curve in force, or says that it no longer shows it.

#include <gtest/gtest.h>

#include "batch/batch_fixture.h"
#include "conditions/reg_set.h"
#include "graph/reg_graph.h"
#include "models/reg_model.h"
#include "navigation/navigation.h"
#include "qc/reg_profile.h"
#include "qc/reg_qc.h"
#include "results/reg_result.h"
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
  click(models().Command[target::Results]);
  program.desktop.show(models());
  click(models().Weight_Choice[2]);  // the logit-log fit's tables stand (the windows test sees to it)
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
  program.state.STD_Data(4, STD_Column::Mean_Count) = 0;  // standard 1's mean count
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

TEST_F(Model_Screen, OpenWindowsFollowTheCurveInForce) {
  // The results screen is made anew when the curve changes: look it up each time.
  auto results = [&]() -> Reg_Result& { return *program.screen_as<Reg_Result>(Screen::Result); };
  auto table_shown = [&] { return !results().Label1[Reg_Result::Page_Rows].caption.empty(); };
  // With the logit-log fit in use, the 4PL/5PL weighting leaves the results standing.
  click(graph().Command[target::Models]);
  click(models().Weight_Choice[1]);
  EXPECT_TRUE(table_shown()) << results().caption;

  click(models().Model_Choice[Five_PL]);
  click(models().Command[target::Results]);
  click(results().Command[target::Sera_Table]);
  click(results().Command[target::QC_Chart]);
  auto& chart = *program.screen_as<Reg_QC>(Screen::QC_Chart);
  program.desktop.show(results());
  click(results().Command[target::Sample_Table]);
  click(results().Command[target::Precision_Profile]);
  auto& profile = *program.screen_as<Reg_Profile>(Screen::Profile);
  const std::string five_pl_profile = profile.Fit_Label.caption;
  EXPECT_FALSE(chart.Update.visible || profile.Update.visible);
  program.desktop.show(graph());
  EXPECT_TRUE(std::none_of(graph().Choice.begin(), graph().Choice.end(), [](auto& c) { return c.second->value; }))
      << "no logit-log fit is marked while the 5PL is in use";
  EXPECT_EQ(graph().caption, "検量線表示 ― 測定結果は 5PL 計数統計 で求めます");

  // The cubic chosen on the curve screen: the model screen names it at once, the chart and the
  // profile say that they show other results and are drawn afresh on request or before printing.
  click(graph().Choice[1]);
  EXPECT_EQ(graph().caption, "検量線表示");
  EXPECT_EQ(models().Chosen.caption, "測定結果はこの曲線で求めます: ロジット・ログ 重無3次");
  EXPECT_TRUE(models().Model_Choice[Logit_Log].value);
  EXPECT_TRUE(chart.Update.visible && profile.Update.visible);
  EXPECT_EQ(profile.caption, "精度プロファイル ― 最新の結果ではありません");
  EXPECT_TRUE(profile.Chart.ops().empty());
  program.desktop.show(chart);
  platform.recorder.clear();
  click(chart.Print);
  EXPECT_FALSE(chart.Update.visible || chart.out_of_date()) << "printed from the sera in force";
  program.desktop.show(profile);
  click(profile.Update);
  EXPECT_FALSE(profile.Update.visible || profile.out_of_date());
  EXPECT_NE(profile.Fit_Label.caption, five_pl_profile);

  // Another range: the model screen compares the curves on the standards of the new range.
  program.desktop.show(graph());
  const std::size_t points = models().comparison().points.size();
  testing::type_over(graph().Range_Box[0], "2");
  testing::press(graph().Range_Box[0], ui::Key_Return);
  ASSERT_NE(program.screen(Screen::Model), nullptr);
  EXPECT_FALSE(models().out_of_date());
  EXPECT_LT(models().comparison().points.size(), points);
}

}  // namespace
}  // namespace quorin
