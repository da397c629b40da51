// What a worker sees is what is in force: after the example assay's wizard, each way an input
// changes under an open window (identifiers loaded, the CV limit typed into the other window,
// counts edited and put back, another curve chosen) leaves every window showing the revision in
// force, or saying that it does not and offering on itself what draws it afresh; no window
// closes under the user and no button greys out under the pointer.

#include <gtest/gtest.h>

#include "data/reg_data.h"
#include "graph/reg_graph.h"
#include "help/reg_help.h"
#include "models/reg_model.h"
#include "qc/reg_profile.h"
#include "results/reg_result.h"
#include "state/commands.h"
#include "state/program_fixture.h"

namespace quorin {
namespace {

using testing::click;

class One_Truth : public testing::Example_Assay_Test {
 protected:
  Reg_Result& results() { return *program.screen_as<Reg_Result>(Screen::Result); }
  Reg_Graph& graph() { return *program.screen_as<Reg_Graph>(Screen::Graph); }
  Reg_Data& sheet() { return *program.screen_as<Reg_Data>(Screen::Data); }

  // The user turns to an open window: the window system brings it to the front as one event.
  void turn_to(ui::Form& form) {
    ui::Desktop::Event_Scope scope(program.desktop);
    program.desktop.show(form);
  }
  // A click on a button the user can press: a greyed one takes no click.
  void press(ui::Control& button) {
    ASSERT_TRUE(button.reachable()) << button.name << button.index << " is greyed: " << button.tip;
    click(button);
  }
  // The cell of column j on the sample table's summary row of sample 1 (its two tubes above it).
  const std::string& first_sample(int j) { return results().Label1[Reg_Result::Page_Rows * j + 2].caption; }
};

// サンプル値, then ID読込 on the data sheet: the open table shows the identifiers at once, and its
// print and profile buttons stay as they were when the user turns back to it and prints.
TEST_F(One_Truth, IdentifiersReachTheOpenTableAndItsPrintButtonStaysPressable) {
  press(results().Command[target::Sample_Table]);
  EXPECT_EQ(first_sample(2), "");
  std::string ids;
  for (int i = 1; i <= 50; ++i) ids += "検体-" + std::to_string(i) + "\r\n";
  testing::write_bytes(folder.file("ids.txt"), ids);
  press(results().Command[target::Data_Sheet]);
  platform.file_answers = {folder.file("ids.txt")};
  press(sheet().Lab_File[1]);
  ASSERT_TRUE(platform.messages.back().starts_with("ID を読み込みました")) << platform.messages.back();

  turn_to(results());
  EXPECT_EQ(first_sample(2), "検体-1");
  EXPECT_TRUE(results().Command[target::Precision_Profile].enabled);
  platform.recorder.clear();
  press(results().Command[target::Print]);
  EXPECT_GT(platform.recorder.documents(), 0) << "the sample pages";

  // Another list of as many identifiers replaces them on the open table too.
  testing::write_bytes(folder.file("ids.txt"), "再検" + ids.substr(std::string("検体").size()));
  turn_to(sheet());
  platform.file_answers = {folder.file("ids.txt")};
  press(sheet().Lab_File[1]);
  EXPECT_EQ(first_sample(2), "再検-1");
}

// The CV limit typed into the profile is the results screen's: its box and flags follow, and its
// buttons stay pressable when the user turns back to it.
TEST_F(One_Truth, TheCvLimitIsOneValueForTheResultsAndTheProfile) {
  press(results().Command[target::Sample_Table]);
  const std::string flags_at_10 = results().Flag_Label.caption;
  press(results().Command[target::Precision_Profile]);
  auto& profile = *program.screen_as<Reg_Profile>(Screen::Profile);
  testing::type_over(profile.Limit_Box, "5");
  testing::press(profile.Limit_Box, ui::Key_Return);
  EXPECT_EQ(profile.profile().cv_limit, 5);
  EXPECT_EQ(results().CV_Box.text, "5");
  EXPECT_NE(results().Flag_Label.caption, flags_at_10) << "flagged by 5 %";

  turn_to(results());
  EXPECT_TRUE(results().Command[target::Print].enabled);
  testing::type_over(results().CV_Box, "20");
  testing::press(results().CV_Box, ui::Key_Return);
  EXPECT_EQ(profile.Limit_Box.text, "20");
  EXPECT_EQ(profile.profile().cv_limit, 20);
}

// 挿入 on a standard's row puts the curve screen's plot away, offering 描き直す (the model screen and
// the emptied table stay open); 削除 on the same row brings the standards' counts back, and with
// them the same plot as it was. A count changed for good is drawn afresh on request.
TEST_F(One_Truth, ACurveScreenOutOfDateOffersToRedrawAndComesBackWithItsCounts) {
  press(graph().Command[target::Models]);
  auto& models = *program.screen_as<Reg_Model>(Screen::Model);
  press(models.Model_Choice[Five_PL]);
  ASSERT_NE(program.screen(Screen::Result), nullptr) << "the sera table stays, emptied";
  EXPECT_EQ(results().Label1[Reg_Result::Page_Rows].caption, "");

  press(results().Command[target::Data_Sheet]);
  const auto drawn = graph().Picture1[0].ops();
  click(sheet().Label1[3 * Reg_Data::Page_Rows + 7]);  // row 8: standard 1's second tube
  press(sheet().Command1);
  EXPECT_TRUE(graph().Redraw.reachable() && graph().Stale_Label.visible);
  EXPECT_FALSE(graph().Picture1[0].visible);
  EXPECT_TRUE(program.screen(Screen::Model) == &models && models.Redraw.reachable())
      << "the model screen stays, and offers the same";

  press(sheet().Command2);
  EXPECT_FALSE(graph().Redraw.visible);
  EXPECT_TRUE(graph().Picture1[0].visible);
  EXPECT_EQ(graph().Picture1[0].ops(), drawn);
  EXPECT_FALSE(models.Redraw.visible);

  click(sheet().Label1[3 * Reg_Data::Page_Rows + 7]);  // standard 1's second tube counted 1
  testing::type_over(sheet().Text1, "1");
  testing::press(sheet().Text1, ui::Key_Return);
  turn_to(graph());
  press(graph().Redraw);
  EXPECT_TRUE(graph().drawing_in_force());
  EXPECT_FALSE(graph().Redraw.visible);
  EXPECT_FALSE(models.Redraw.visible || models.out_of_date()) << "compared afresh with the curves";
}

// 検量線表示 on the results shows the curves the results are read off; Help from the curve screen
// opens on the curve screen's topic.
TEST_F(One_Truth, TheCurveButtonOfTheResultsAndHelpOpenWhereTheUserIs) {
  testing::write_bytes("help.csv", testing::read_bytes(QUORIN_SOURCE_DIR "/resources/help.csv"));
  press(graph().Command[target::Switch_View]);  // the standard plot
  turn_to(results());
  press(results().Command[target::Standard_Curve]);
  EXPECT_EQ(program.desktop.front(), &graph());
  EXPECT_EQ(graph().caption, "検量線表示");
  EXPECT_TRUE(graph().Choice[0].value);
  press(graph().Command[target::Help]);
  EXPECT_EQ(program.screen_as<Reg_Help>(Screen::Help)->Text2.text, "【検量線表示画面】");
}

}  // namespace
}  // namespace quorin
