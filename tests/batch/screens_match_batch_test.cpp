// The command line does what a user does on the screens: for every fit of the example assay the
// batch saves the very bytes the screens save, and its report holds the very printouts the
// screens' print buttons give, in order (with a control-serum history on both sides).

#include <gtest/gtest.h>

#include <set>
#include <string>

#include <functional>

#include "batch_fixture.h"
#include "conditions/condition_file.h"
#include "conditions/reg_set.h"
#include "curve/fit_choice.h"
#include "data/count_file.h"
#include "data/reg_data.h"
#include "graph/reg_graph.h"
#include "models/reg_model.h"
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
  int model = 0;  // with a 4PL or 5PL, `weight` is its weighting and the logit-log fit stays 重無1次
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
    click(graph.Choice[fit.model == 0 ? 2 * fit.weight + (fit.order == 1 ? 0 : 1) : 0]);
    if (fit.model != 0) {
      click(graph.Command[target::Models]);
      auto& models = *program.screen_as<Reg_Model>(Screen::Model);
      click(models.Weight_Choice[fit.weight]);
      click(models.Model_Choice[fit.model]);
      ASSERT_EQ(program.state.Curve_Model, fit.model);
      ASSERT_EQ(program.state.Model_Weight, fit.weight);
    }
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
    if (program.state.Curve_Model != 0) {
      click(graph.Command[target::Models]);
      print_on(Screen::Model);
    }
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
  Reg_Set& conditions() { return *program.screen_as<Reg_Set>(Screen::Conditions); }
  Reg_Data& sheet() { return *program.screen_as<Reg_Data>(Screen::Data); }
  Reg_Graph& graph() { return *program.screen_as<Reg_Graph>(Screen::Graph); }

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
    options.model = fit.model;
    return options;
  }
};

TEST_F(Screens_And_Batch, EveryFitSavesTheFileTheScreensSave) {
  std::vector<Fit> fits;
  for (int order : {1, 3})
    for (int weight = 0; weight < Weight_Count; ++weight) fits.push_back({weight, order, {}, {}});
  fits.push_back({1, 1, 2, 7});
  fits.push_back({2, 3, 1, 6});
  for (int model : {1, 2})
    for (int weight = 0; weight < 3; ++weight) fits.push_back({weight, 1, {}, {}, model});
  fits.push_back({1, 1, 2, 8, 1});

  std::set<std::string> distinct;
  for (const Fit& fit : fits) {
    SCOPED_TRACE(fit_label(fit.weight, fit.order) + " STD " + std::to_string(fit.from.value_or(1)) + ".. model " +
                 std::to_string(fit.model));
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

// The report of the command line, the results screen's "一括印刷" (with the data sheet open or
// closed) and the print buttons of every screen in turn give the same pages.
TEST_F(Screens_And_Batch, TheReportHoldsThePrintoutsOfEveryScreenInOrder) {
  // The second adds the page of the model screen; both hold the precision profile and, with a
  // history kept, a Levey-Jennings page per control serum.
  for (const Fit& fit : {Fit{3, 3, {}, {}}, Fit{2, 1, {}, {}, 2}}) {
    SCOPED_TRACE(fit.model);
    User user;
    user.program.qc_history.path = folder.file("screens.sqlite");
    user.reduce(fit);
    user.print_everything();
    const std::vector<std::string> by_buttons = user.platform.recorder.ops();
    for (bool sheet_open : {true, false}) {
      SCOPED_TRACE(sheet_open ? "data sheet open" : "data sheet closed");
      if (!sheet_open) user.program.close(Screen::Data);
      user.platform.recorder.clear();
      user.platform.messages.clear();
      click(user.results().Command[target::Whole_Report]);
      EXPECT_EQ(user.platform.recorder.ops(), by_buttons);
      EXPECT_EQ(user.platform.messages, std::vector<std::string>{"印刷が終了しました"});
      EXPECT_EQ(user.platform.progresses.back().planned, user.platform.recorder.documents()) << "pages planned";
    }
    user.save(folder.file("screens.txt"));

    batch::Batch_Options options = options_for(fit);
    options.pdf = folder.file("report.pdf");
    options.qc = folder.file("batch.sqlite");
    testing::Batch_Outcome batch;
    testing::run_in_process(options, batch);
    ASSERT_EQ(batch.status, batch::Exit_Done) << batch.errors;
    EXPECT_EQ(batch.printed.ops(), by_buttons);
    EXPECT_GT(batch.printed.documents(), fit.model == 0 ? 7 : 8) << "a page at least for each printout";
    EXPECT_EQ(testing::read_bytes(folder.file("result.txt")), testing::read_bytes(folder.file("screens.txt")))
        << "printing changes nothing of the results";
  }
}

// Results never outlive what they were computed from. After the example's tables are shown, each
// change a user can make empties the table shown (it says why) and leaves nothing to print; the
// result file is then computed afresh, byte for byte what a new batch run of the conditions and
// counts in force saves, or refused when the curve was fitted to other standards than those.
TEST_F(Screens_And_Batch, ResultsFollowEveryChangeOrAreRefused) {
  const std::string counts = folder.file("other.txt"), crx = folder.file("other.crx");
  std::string bytes = testing::read_bytes(testing::Example_Counts);
  testing::write_bytes(counts, bytes.replace(bytes.find(" 9334 "), 6, " 9001 "));  // standard 1, tube 1
  bytes = testing::read_bytes(testing::Example_Conditions);
  testing::write_bytes(crx, bytes.replace(bytes.find("1.0000\r\n.5"), 6, "2.0000"));  // the dilution factor
  auto typed = [](ui::Text_Box& box, const std::string& text) {
    testing::type_over(box, text);
    testing::press(box, ui::Key_Return);
  };
  auto on_row = [](User& u, int row) {  // paged to and clicked
    u.sheet().VScroll1.set_value((row - 1) / Reg_Data::Page_Rows);
    click(u.sheet().Label1[3 * Reg_Data::Page_Rows + (row - 1) % Reg_Data::Page_Rows]);
  };
  const struct {
    const char* what;
    std::function<void(User&)> change;
    bool curve_outdated = false;
  } cases[] = {
      {"a sample count typed", [&](User& u) { on_row(u, 29), typed(u.sheet().Text1, "5000"); }},
      {"a standard count typed", [&](User& u) { on_row(u, 7), typed(u.sheet().Text1, "9000"); }, true},
      {"a count inserted among the samples", [&](User& u) { on_row(u, 29), click(u.sheet().Command1); }},
      {"a count deleted among the standards", [&](User& u) { on_row(u, 8), click(u.sheet().Command2); }, true},
      {"another count data file",
       [&](User& u) { u.platform.file_answers = {counts}, click(u.sheet().Command[target::Open_File]); }, true},
      {"another condition file",
       [&](User& u) { u.platform.file_answers = {crx}, click(u.conditions().Command[target::Open_File]); }},
      {"the tubes per sample", [&](User& u) { typed(u.conditions().info[11], "1"); }},
      {"the dilution factor", [&](User& u) { typed(u.conditions().info[12], "2.5"); }},
      {"the range of the fit", [&](User& u) { typed(u.graph().Range_Box[0], "2"); }},
      {"the choice of the fit", [&](User& u) { click(u.graph().Choice[0]); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    User user;
    user.reduce({3, 3, {}, {}});
    c.change(user);
    Reg_Result& results = user.results();
    EXPECT_NE(results.caption.find("計算し直してください"), std::string::npos) << results.caption;
    EXPECT_EQ(results.Label1[Reg_Result::Page_Rows].caption, "") << "no row of the earlier table";
    EXPECT_FALSE(results.Command[target::Print].enabled);

    const std::string by_screens = folder.file(std::string(c.what) + ".txt");
    user.platform.file_answers = {by_screens};
    click(results.Command[target::Save]);
    if (c.curve_outdated) {
      EXPECT_TRUE(user.platform.messages.back().starts_with("検量線を計算した後に")) << user.platform.messages.back();
      EXPECT_FALSE(exists(by_screens));
      continue;
    }
    // The same reduction of the conditions and counts in force, by a new batch run.
    const Assay_State& s = user.program.state;
    text::Line_Writer lines;
    write_condition_lines(user.conditions(), lines);
    batch::Batch_Options options = example(s.Weight_Type, s.Reg_Order);
    options.conditions = folder.file("in_force.crx");
    options.counts = folder.file("in_force.txt");
    options.from = s.Fit_From;
    options.to = s.Fit_To;
    testing::write_bytes(options.conditions, lines.bytes());
    testing::write_bytes(options.counts, count_file_bytes(s));
    testing::Batch_Outcome batch;
    testing::run_in_process(options, batch);
    ASSERT_EQ(batch.status, batch::Exit_Done) << batch.errors;
    EXPECT_EQ(testing::read_bytes(by_screens), testing::read_bytes(options.result));
  }
}

}  // namespace
}  // namespace quorin
