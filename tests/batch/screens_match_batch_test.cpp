// The command line does what a user does on the screens: for every fit of the example assay the
// batch saves the very bytes the screens save, and its report holds the very printouts the
// screens' print buttons and the results screen's "一括印刷" (with the data sheet open or closed)
// give, in order, with a control-serum history on both sides. And results never outlive what they
// were computed from.

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <tuple>

#include "batch_fixture.h"
#include "conditions/reg_set.h"
#include "data/count_file.h"
#include "data/reg_data.h"
#include "engine/concentration_interval.h"
#include "engine/condition_file.h"
#include "engine/fit_choice.h"
#include "engine/result_curve.h"
#include "graph/reg_graph.h"
#include "intro/reg_intro.h"
#include "models/reg_model.h"
#include "navigation/navigation.h"
#include "qc/reg_profile.h"
#include "qc/reg_qc.h"
#include "results/interval_text.h"
#include "results/reg_result.h"
#include "results/result_table.h"
#include "state/program.h"
#include "support/form_driver.h"
#include "support/text_search.h"
#include "text/format.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

using testing::click;

void typed(ui::Text_Box& box, const std::string& text) {
  testing::type_over(box, text);
  testing::press(box, ui::Key_Return);
}

// A user with the screens and the example assay.
class User {
 public:
  User() : program(platform) {}
  std::string counts = testing::Example_Counts;

  // From the start-up screen to the three result tables, the fit chosen as a batch run's options
  // ask (with a 4PL or 5PL, `weight` is its weighting and the logit-log fit stays 重無1次).
  void reduce(const batch::Batch_Options& fit) {
    program.start();
    click(program.screen_as<Reg_Intro>(Screen::Intro)->Command1);
    open(conditions(), testing::Example_Conditions);
    click(conditions().Command[target::Data_Sheet]);
    open(sheet(), counts);
    click(sheet().Command[target::Standard_Curve]);
    click(graph().Command[target::Switch_View]);
    typed(graph().Range_Box[0], text::bare_text(fit.from.value_or(1)));
    typed(graph().Range_Box[1], text::bare_text(fit.to.value_or(program.state.STD_Number)));
    click(graph().Choice[fit.model == 0 ? 2 * fit.weight + (fit.order == 1 ? 0 : 1) : 0]);
    if (fit.model != 0) {
      click(graph().Command[target::Models]);
      auto& models = *program.screen_as<Reg_Model>(Screen::Model);
      click(models.Weight_Choice[fit.weight]);
      click(models.Model_Choice[fit.model]);
    }
    click(graph().Command[target::Results]);
    for (int table : Tables) click(results().Command[table]);
  }

  void open(Work_Screen& screen, const std::string& path) {
    platform.file_answers = {path};
    click(screen.Command[target::Open_File]);
  }

  // Each screen's print button, the screen brought to the front first as a click on it does.
  void print_everything() {
    for (Screen screen : {Screen::Conditions, Screen::Data}) print_on(screen);
    program.desktop.show(graph());
    click(graph().Command[target::Switch_View]);  // back to the standard plot
    print_on(Screen::Graph);
    click(graph().Command[target::Switch_View]);  // the fitted curves again
    print_on(Screen::Graph);
    if (program.state.Curve_Model != 0) {
      click(graph().Command[target::Models]);
      print_on(Screen::Model);
    }
    program.desktop.show(results());
    for (int table : Tables) {
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
  static constexpr int Tables[] = {target::Standard_Table, target::Sera_Table, target::Sample_Table};

  void print_on(Screen which) {
    auto& screen = *program.screen_as<Work_Screen>(which);
    program.desktop.show(screen);
    click(screen.Command[target::Print]);
  }
};

using Screens_And_Batch = testing::Batch_Test;

// The recorded operations without the "n / N" at the pages' foot.
std::vector<std::string> without_page_numbers(std::vector<std::string> ops) {
  std::erase_if(ops, [](const std::string& op) {
    const auto printed = testing::printed_text(op);
    return printed && testing::is_page_number(printed->text);
  });
  return ops;
}

// The rows of a CSV file as Python's csv module reads them (not the program's own reader), passed
// back unquoted: a cell holding a comma would show as a row of too many cells.
std::vector<std::vector<std::string>> csv_rows(const std::string& path) {
  std::istringstream lines(testing::piped(
      "python3 -c 'import csv, sys\nfor row in csv.reader(open(sys.argv[1], encoding=\"utf-8-sig\", newline=\"\")): "
      "print(\",\".join(row))' '" +
      path + "'"));
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(lines, line);) rows.push_back(testing::cells_of(line));
  return rows;
}

// Every bound of the workbook is the engine's interval of its row on the curve in force of the
// screens, empty where the engine gives none; it rests on the assumption exactly for the logit-log
// fits weighted by the distance to the standard points. The screen's line under the table shows
// the chosen row's interval, or nothing; the printouts give each item's interval in a line of its
// own. (The CSV's interval cells, which the screens' CSV shares byte for byte, are the interval
// tests', row for row; here its rows name the items.)
void expect_intervals_of_the_engine(const std::string& csv, const std::string& workbook, Program& program,
                                    Reg_Result& results, const std::vector<std::string>& printed_ops) {
  const Assay_State& s = program.state;
  const Interval_Basis basis = interval_basis(s);
  ASSERT_EQ(basis.problem, "");
  const Flag_Limits limits = flag_limits(s);
  const bool assumed = !model_in_use(s) && (s.Weight_Type == 1 || s.Weight_Type == 3);
  const std::vector<std::vector<std::string>> rows = csv_rows(csv);
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(s.STD_Number + s.Sera_Number + s.Sample_Number + 1));
  const std::string sheets[] = {testing::unzipped(workbook, "xl/worksheets/sheet3.xml"),
                                testing::unzipped(workbook, "xl/worksheets/sheet2.xml"),
                                testing::unzipped(workbook, "xl/worksheets/sheet1.xml")};
  const char lower_column[] = {'D', 'C', 'D'};  // standards, sera, samples; the upper bound beside it
  int with_interval[3] = {0, 0, 0};
  std::vector<std::string> printed_lines, expected_lines;
  for (const std::string& op : printed_ops)
    if (const auto printed = testing::printed_text(op); printed && printed->text.starts_with("  95%区間"))
      printed_lines.push_back(printed->text);
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const std::vector<std::string>& cells = rows[r];
    ASSERT_EQ(cells.size(), 18u) << r;
    const Result_Kind kind = cells[0] == "スタンダード" ? Result_Kind::Standard_Conc
                             : cells[0] == "管理血清"   ? Result_Kind::Sera
                                                        : Result_Kind::Sample;
    const Long item = std::stol(cells[1]);
    SCOPED_TRACE(cells[0] + " " + cells[1]);
    const auto expected = item_interval(s, basis, kind, item, item_flags(s, kind, item, limits));
    const std::size_t table = static_cast<std::size_t>(kind) - 1;
    const std::string sheet_row = std::to_string(item + 1);
    const auto sheet_cell = [&](char column) {
      return testing::between(sheets[table], "<c r=\"" + (column + sheet_row) + "\"", "</c>");
    };
    if (!expected) {
      EXPECT_EQ(sheet_cell(lower_column[table]), std::nullopt);
      continue;
    }
    ++with_interval[table];
    expected_lines.push_back("  " + interval_text(kind, expected, s.Dilution_Factor));
    EXPECT_EQ(expected->assumed, assumed);
    // To 17 significant digits.
    for (const auto& [column, bound] : {std::pair{lower_column[table], expected->lower},
                                        std::pair{static_cast<char>(lower_column[table] + 1), expected->upper}}) {
      const auto cell = sheet_cell(column);
      const auto value = cell ? testing::between(*cell, "<v>", "</v>") : std::nullopt;
      ASSERT_TRUE(value) << column << sheet_row << " is no number cell";
      EXPECT_NEAR(std::stod(*value), bound, 1e-15 * bound) << column << sheet_row;
    }
  }
  EXPECT_GT(with_interval[0] * with_interval[1] * with_interval[2], 0) << "an interval in every table";
  std::sort(printed_lines.begin(), printed_lines.end()), std::sort(expected_lines.begin(), expected_lines.end());
  EXPECT_EQ(printed_lines, expected_lines) << "each item's interval printed once, under its own row";

  // The sample table is shown last: each row chosen shows its item's interval under the table.
  const Result_Index index(s, Result_Kind::Sample);
  for (Long row = 1; row <= index.rows(); ++row) {
    results.choose_row(row);
    const Long item = index.row(row).item;
    const auto expected =
        item_interval(s, basis, Result_Kind::Sample, item, item_flags(s, Result_Kind::Sample, item, limits));
    const std::string& shown = results.Interval_Label.caption;
    if (!expected) {
      EXPECT_EQ(shown, "") << "row " << row;
      continue;
    }
    const std::string bounds = text::Format(expected->lower, "0.000") + " ～ " + text::Format(expected->upper, "0.000");
    EXPECT_TRUE(shown.starts_with("Sample" + text::signed_text(item) + " の 95%区間 " + bounds)) << shown;
    EXPECT_EQ(shown.find("仮定") != std::string::npos, assumed) << shown;
  }
}

TEST_F(Screens_And_Batch, EveryFitSavesAndPrintsWhatTheScreensDo) {
  std::vector<batch::Batch_Options> fits{example(1, 1, 2, 7), example(2, 3, 1, 6), example(1, 1, 2, 8, 1)};
  for (int weight = 0; weight < Weight_Count; ++weight)
    fits.push_back(example(weight, 1)), fits.push_back(example(weight, 3));
  for (int weight = 0; weight < 3; ++weight)
    fits.push_back(example(weight, 1, {}, {}, 1)), fits.push_back(example(weight, 1, {}, {}, 2));

  // Sample 1 read beyond the highest standard (flagged ">", on a line still readable), sample 2
  // above the zero standard (unreadable, "<"): rows whose cells must stay empty.
  std::string counts = testing::read_bytes(testing::Example_Counts);
  for (const auto& [was, now] :
       {std::pair{" 2179 \r\n 2153 ", " 900 \r\n 910 "}, {" 1810 \r\n 1747 ", " 15000 \r\n 15100 "}})
    counts = testing::replaced(counts, was, now);
  testing::write_bytes(folder.file("counts.txt"), counts);
  for (batch::Batch_Options& options : fits) {
    options.counts = folder.file("counts.txt");
    SCOPED_TRACE(fit_label(options.weight, options.order) + " STD " + std::to_string(options.from.value_or(1)) +
                 ".. model " + std::to_string(options.model));
    std::filesystem::remove(folder.file("screens.sqlite")), std::filesystem::remove(folder.file("batch.sqlite"));
    User user;
    user.counts = options.counts;
    user.program.qc_history.path = folder.file("screens.sqlite");
    user.reduce(options);
    user.print_everything();
    // Each printout counts its own pages at its foot, the report all of them: apart from that
    // the report is the printouts one after another.
    const std::vector<std::string> by_buttons = without_page_numbers(user.platform.recorder.ops());
    for (bool sheet_open : {true, false}) {
      if (!sheet_open) user.program.close(Screen::Data);
      user.platform.recorder.clear();
      user.platform.messages.clear();
      click(user.results().Command[target::Whole_Report]);
      EXPECT_EQ(without_page_numbers(user.platform.recorder.ops()), by_buttons)
          << (sheet_open ? "data sheet open" : "data sheet closed");
      EXPECT_EQ(user.platform.messages, std::vector<std::string>{"印刷が終了しました"});
      EXPECT_EQ(user.platform.progresses.back().planned, user.platform.recorder.documents()) << "pages planned";
    }
    user.platform.file_answers = {folder.file("screens.txt"), folder.file("screens.csv")};
    click(user.results().Command[target::Save]);
    click(user.results().Export[0]);

    options.pdf = folder.file("report.pdf");
    options.csv = folder.file("batch.csv"), options.xlsx = folder.file("batch.xlsx");
    options.qc = folder.file("batch.sqlite");
    const testing::Batch_Outcome batch = testing::run_in_process(options);
    ASSERT_EQ(batch.status, batch::Exit_Done) << batch.errors;
    // The screens print before the save; the batch run's charts say that its save keeps the run.
    std::vector<std::string> printed = without_page_numbers(batch.printed.ops());
    int kept = 0;
    for (std::string& op : printed)
      if (const auto at = op.find("(保存済み)"); at != std::string::npos) op.replace(at, 14, "(未保存)"), ++kept;
    EXPECT_EQ(kept, 3) << "one chart for each serum";
    EXPECT_EQ(printed, by_buttons);
    EXPECT_GT(batch.printed.documents(), options.model == 0 ? 7 : 8) << "a page at least for each printout";
    EXPECT_EQ(testing::read_bytes(options.result), testing::read_bytes(folder.file("screens.txt")));
    EXPECT_EQ(testing::read_bytes(options.csv), testing::read_bytes(folder.file("screens.csv")));
    expect_intervals_of_the_engine(options.csv, options.xlsx, user.program, user.results(), by_buttons);
  }
}

// After the example's tables are shown, each kind of change a user can make empties the table
// shown (it says why); the printout and the result file are then computed afresh, the file byte
// for byte what a new batch run of the conditions and counts in force saves, or both refused when
// the curve was fitted to other standards than those.
TEST_F(Screens_And_Batch, ResultsFollowEveryChangeOrAreRefused) {
  std::string bytes = testing::read_bytes(testing::Example_Conditions);
  const std::string crx = folder.file("other.crx");  // the dilution factor 2
  testing::write_bytes(crx, bytes.replace(bytes.find("1.0000\r\n.5"), 6, "2.0000"));
  const auto on_row = [](User& u, int row) {  // paged to and clicked
    u.sheet().VScroll1.set_value((row - 1) / Reg_Data::Page_Rows);
    click(u.sheet().Label1[3 * Reg_Data::Page_Rows + (row - 1) % Reg_Data::Page_Rows]);
  };
  // What the user changes, the change, and whether the curve was fitted to other standards then.
  const std::tuple<const char*, std::function<void(User&)>, bool> cases[] = {
      {"a sample count typed", [&](User& u) { on_row(u, 29), typed(u.sheet().Text1, "5000"); }, false},
      {"a count deleted among the standards", [&](User& u) { on_row(u, 8), click(u.sheet().Command2); }, true},
      {"the tubes per sample", [](User& u) { typed(u.conditions().info[11], "1"); }, false},
      {"another condition file", [&](User& u) { u.open(u.conditions(), crx); }, false},
      {"the range of the fit", [](User& u) { typed(u.graph().Range_Box[0], "2"); }, false},
      {"the choice of the fit", [](User& u) { click(u.graph().Choice[0]); }, false},
  };
  for (const auto& [what, change, curve_outdated] : cases) {
    SCOPED_TRACE(what);
    User user;
    user.reduce(example(3, 3));
    change(user);
    Reg_Result& results = user.results();
    EXPECT_NE(results.caption.find("計算し直してください"), std::string::npos) << results.caption;
    EXPECT_EQ(results.Label1[Reg_Result::Page_Rows].caption, "") << "no row of the earlier table";
    user.platform.recorder.clear();
    click(results.Command[target::Print]);
    EXPECT_EQ(user.platform.recorder.documents() > 0, !curve_outdated) << user.platform.messages.back();
    user.platform.file_answers = {folder.file("screens.txt")};
    click(results.Command[target::Save]);
    if (curve_outdated) {
      EXPECT_TRUE(user.platform.messages.back().starts_with("検量線を計算した後に")) << user.platform.messages.back();
      EXPECT_FALSE(std::filesystem::exists(folder.file("screens.txt")));
      continue;
    }
    const Assay_State& s = user.program.state;
    text::Line_Writer lines;
    write_condition_lines(s.Condition_Texts, lines);
    batch::Batch_Options options = example(s.Weight_Type, s.Reg_Order, s.Fit_From, s.Fit_To);
    testing::write_bytes(options.conditions = folder.file("in_force.crx"), lines.bytes());
    testing::write_bytes(options.counts = folder.file("in_force.txt"), count_file_bytes(s));
    ASSERT_EQ(testing::run_in_process(options).status, batch::Exit_Done);
    EXPECT_EQ(testing::read_bytes(folder.file("screens.txt")), testing::read_bytes(options.result));
    std::filesystem::remove(folder.file("screens.txt"));
  }
}

}  // namespace
}  // namespace quorin
