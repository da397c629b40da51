// The model screen as a user meets it: reached from the fitted curves only, the curve chosen on it
// is the one the result tables then name and use (results shown before are not left standing),
// a curve that cannot be computed is refused, and its print button prints one page that fits.

#include <gtest/gtest.h>

#include <cstdlib>

#include "graph/reg_graph.h"
#include "models/reg_model.h"
#include "results/reg_result.h"
#include "state/navigation.h"
#include "state/program.h"
#include "support/form_driver.h"
#include "support/test_support.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

using testing::click;

class Model_Screen : public ::testing::Test {
 protected:
  Model_Screen() : program(platform) {
    Assay_State& s = program.state;
    program.show(Screen::Conditions);  // names the weightings
    s.STD_Number = 8;
    s.STD_Tubes = 2;
    const double concentrations[] = {0.5, 1, 2, 5, 10, 20, 40, 60};
    const Long counts[11][2] = {{346, 347},   {21465, 21660}, {9973, 9914}, {9334, 9336}, {8865, 8672}, {7910, 7832},
                                {6088, 6038}, {4392, 4411},   {2812, 2764}, {1689, 1730}, {1251, 1198}};
    for (int k = 1; k <= 8; ++k) s.STD_Data(3 + k, 0) = concentrations[k - 1];
    for (int row = 1; row <= 11; ++row)
      for (int tube = 1; tube <= 2; ++tube) s.STD_Count(row, tube) = counts[row - 1][tube - 1];
    s.Sera_Number = s.Sera_Tubes = 1;
    s.Sera_Count(1, 1) = 6000;
    s.Screen_No = screen_no(Screen::Conditions);
    Command_Exec(program, target::Standard_Curve);
  }
  Reg_Graph& graph() { return *program.screen_as<Reg_Graph>(Screen::Graph); }
  Reg_Model& models() { return *program.screen_as<Reg_Model>(Screen::Model); }

  testing::Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program;
};

TEST_F(Model_Screen, TheChosenCurveIsTheOneTheResultsUse) {
  EXPECT_FALSE(graph().Command[target::Models].visible) << "no model screen before the curves are fitted";
  click(graph().Command[target::Switch_View]);
  click(graph().Command[target::Results]);
  click(program.screen_as<Reg_Result>(Screen::Result)->Command[target::Sera_Table]);

  program.desktop.show(graph());
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

  // Its print button prints one page that fits.
  program.desktop.show(models());
  click(models().Command[target::Print]);
  EXPECT_EQ(platform.recorder.documents(), 1);
  EXPECT_EQ(platform.messages.back(), "印刷が終了しました");
  std::string texts;
  for (const std::string& op : platform.recorder.ops()) {
    if (!op.starts_with("text ")) continue;
    texts += op + "\n";
    EXPECT_LT(std::atof(op.c_str() + op.find(',') + 1), platform.recorder.page_height) << op;
  }
  for (const char* text :
       {"検量線モデルの比較", "測定結果に使う曲線: 5PL CV一定", "ロジット・ログ 重無1次", "B/B0 10 %"})
    EXPECT_NE(texts.find(text), std::string::npos) << text;

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
  click(graph().Command[target::Switch_View]);
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
