// The command line does what a user does on the screens: for every fit of the example assay the
// batch saves the very bytes the screens save, and its report holds the very printouts the
// screens' print buttons give, in order (with a control-serum history on both sides).

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "batch_fixture.h"
#include "conditions/reg_set.h"
#include "curve/fit_choice.h"
#include "data/reg_data.h"
#include "graph/reg_graph.h"
#include "qc/reg_profile.h"
#include "qc/reg_qc.h"
#include "results/reg_result.h"
#include "state/navigation.h"
#include "state/program.h"
#include "state/reg_intro.h"
#include "support/form_driver.h"
#include "text/format.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

using testing::click;

struct Fit {
  int weight, order;
  std::optional<int> from, to;
};

// A user with the screens and the example assay.
class User {
 public:
  User() : program(platform) {}

  // From the start-up screen to the three result tables, the fit chosen as `fit` asks.
  void reduce(const Fit& fit) {
    program.start();
    click(program.screen_as<Reg_Intro>(Screen::Intro)->Command1);
    auto& conditions = *program.screen_as<Reg_Set>(Screen::Conditions);
    platform.file_answers = {testing::Example_Conditions};
    click(conditions.Command[target::Open_File]);
    click(conditions.Command[target::Data_Sheet]);
    auto& sheet = *program.screen_as<Reg_Data>(Screen::Data);
    platform.file_answers = {testing::Example_Counts};
    click(sheet.Command[target::Open_File]);
    click(sheet.Command[target::Standard_Curve]);
    auto& graph = *program.screen_as<Reg_Graph>(Screen::Graph);
    click(graph.Command[target::Switch_View]);
    const int range[2] = {fit.from.value_or(1), fit.to.value_or(program.state.STD_Number)};
    for (int box : {0, 1}) {
      testing::type_over(graph.Range_Box[box], text::bare_text(range[box]));
      testing::press(graph.Range_Box[box], ui::Key_Return);
    }
    click(graph.Choice[2 * fit.weight + (fit.order == 1 ? 0 : 1)]);
    ASSERT_EQ(program.state.Weight_Type, fit.weight);
    ASSERT_EQ(program.state.Reg_Order, fit.order);
    click(graph.Command[target::Results]);
    for (int table : {target::Standard_Table, target::Sera_Table, target::Sample_Table})
      click(results().Command[table]);
  }

  void save(const std::string& path) {
    platform.file_answers = {path};
    click(results().Command[target::Save]);
    ASSERT_EQ(platform.messages.back(), "データ保存が終了しました");
  }

  // Each screen's print button, the screen brought to the front first as a click on it does.
  void print_everything() {
    print_on(Screen::Conditions);
    print_on(Screen::Data);
    auto& graph = *program.screen_as<Reg_Graph>(Screen::Graph);
    program.desktop.show(graph);
    click(graph.Command[target::Switch_View]);  // back to the standard plot
    print_on(Screen::Graph);
    click(graph.Command[target::Switch_View]);  // the fitted curves again
    print_on(Screen::Graph);
    program.desktop.show(results());
    for (int table : {target::Standard_Table, target::Sera_Table, target::Sample_Table}) {
      click(results().Command[table]);
      print_on(Screen::Result);
    }
    click(results().Command[target::Precision_Profile]);
    click(program.screen_as<Reg_Profile>(Screen::Profile)->Print);
    program.desktop.show(results());
    click(results().Command[target::QC_Chart]);
    auto& chart = *program.screen_as<Reg_QC>(Screen::QC_Chart);
    for (int serum = 1; serum <= program.state.Sera_Number; ++serum) {
      click(chart.Print);
      click(chart.Step[3]);  // the next serum
    }
  }

  Reg_Result& results() { return *program.screen_as<Reg_Result>(Screen::Result); }

  ui::Scripted_Platform platform;
  Program program;

 private:
  void print_on(Screen which) {
    auto& screen = *program.screen_as<Work_Screen>(which);
    program.desktop.show(screen);
    click(screen.Command[target::Print]);
  }
};

class Screens_And_Batch : public testing::Batch_Test {
 protected:
  batch::Batch_Options options_for(const Fit& fit) const {
    batch::Batch_Options options = example(fit.weight, fit.order);
    options.from = fit.from;
    options.to = fit.to;
    return options;
  }
};

TEST_F(Screens_And_Batch, EveryFitSavesTheFileTheScreensSave) {
  std::vector<Fit> fits;
  for (int order : {1, 3})
    for (int weight = 0; weight < Weight_Count; ++weight) fits.push_back({weight, order, {}, {}});
  fits.push_back({1, 1, 2, 7});
  fits.push_back({2, 3, 1, 6});

  std::set<std::string> distinct;
  for (const Fit& fit : fits) {
    SCOPED_TRACE(fit_label(fit.weight, fit.order) + " STD " + std::to_string(fit.from.value_or(1)) + "..");
    User user;
    user.reduce(fit);
    const std::string by_screens = folder.file("screens.txt");
    user.save(by_screens);

    testing::Batch_Outcome batch;
    testing::run_in_process(options_for(fit), batch);
    ASSERT_EQ(batch.status, batch::Exit_Done) << batch.errors;
    const std::string saved = testing::read_bytes(folder.file("result.txt"));
    EXPECT_EQ(saved, testing::read_bytes(by_screens));
    distinct.insert(saved);
  }
  EXPECT_EQ(distinct.size(), fits.size()) << "each fit and range gives results of its own";
}

TEST_F(Screens_And_Batch, TheReportHoldsThePrintoutsOfEveryScreenInOrder) {
  const Fit fit{3, 3, {}, {}};
  User user;
  user.program.qc_history.path = folder.file("screens.sqlite");
  user.reduce(fit);
  user.print_everything();
  user.save(folder.file("screens.txt"));

  batch::Batch_Options options = options_for(fit);
  options.pdf = folder.file("report.pdf");
  options.qc = folder.file("batch.sqlite");
  testing::Batch_Outcome batch;
  testing::run_in_process(options, batch);
  ASSERT_EQ(batch.status, batch::Exit_Done) << batch.errors;
  EXPECT_EQ(batch.printed.ops(), user.platform.recorder.ops());
  EXPECT_GT(batch.printed.documents(), 7) << "a page at least for each of the seven printouts";
  EXPECT_EQ(testing::read_bytes(folder.file("result.txt")), testing::read_bytes(folder.file("screens.txt")))
      << "printing changes nothing of the results";
}

}  // namespace
}  // namespace quorin
