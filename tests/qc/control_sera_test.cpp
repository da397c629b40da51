// The judgement of control sera and what the user sees of it. The Westgard rules on hand-made
// sequences of z values: each rule fires just beyond its limit and not at it, judges only the
// newest run, and counts the measurements of one serum as consecutive across a run in which that
// serum gave no value; targets come from the first 20 values of a serum in run order, unless
// entered. The chart's deletion: a run is picked by clicking its point, a reason must be typed,
// and the user is asked before anything is removed; No removes nothing. The precision profile
// against an independent least-squares solve of ln CV = a + b ln x + c (ln x)^2 (its normal
// equations by Cramer's rule): on CVs laid exactly on a chosen curve the working range lies
// between the curve's known crossings of the limit, held to the standards and samples; samples
// that are not replicated do not count.
// The whole road of the history from the command line: the example assay saved with --qc keeps
// one run however often it is saved, the judgement goes to standard error and into the report,
// and the export shows every serum with its target, z, the rules it broke and the run's verdict.
// A file that cannot serve as the history is told once and costs nothing else.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include <sqlite3.h>

#include "engine/precision_profile.h"
#include "engine/westgard.h"
#include "qc/audit.h"
#include "qc/history_store.h"
#include "qc/lj_chart.h"
#include "qc/profile_plot.h"
#include "qc/qc_delete.h"
#include "qc/qc_export.h"
#include "qc/qc_procedures.h"
#include "qc/qc_series.h"
#include "qc/reg_qc.h"
#include "qc/server/stores.h"
#include "results/results_procedures.h"
#include "state/program_fixture.h"
#include "support/form_driver.h"
#include "support/text_search.h"
#include "ui/recording_printer.h"
#include "ui/scripted_platform.h"

namespace quorin::qc {
namespace {

// Each line of golden/westgard.txt is a case: its name, the z values of sera 1, 2, ... in each
// run, oldest first ("|" between runs, "-" for a serum without a value), and after " → " the
// verdict of the newest run with the rules it broke.
TEST(Westgard, EachRuleAtItsBoundary) {
  std::istringstream recorded(testing::read_bytes(QUORIN_TEST_GOLDEN "/westgard.txt"));
  std::string judged;
  for (std::string line; std::getline(recorded, line);) {
    const std::string given = line.substr(0, line.find(" → "));
    std::vector<Z_Row> z(1);
    std::istringstream words(given.substr(given.find(": ") + 2));
    int serum = 1;
    for (std::string word; words >> word;) {
      if (word == "|") z.emplace_back(), serum = 1;
      else if (word == "-") ++serum;
      else z.back()[serum++] = std::stod(word);
    }
    const Run_Check check = check_run(z, z.size() - 1);
    const std::string hits = hits_text(check);
    judged += given + " → " + verdict_text(check.verdict) + (hits.empty() ? "" : " " + hits) + "\n";
  }
  testing::expect_golden("westgard.txt", judged);
}

QC_Run run_of(const std::string& date, std::vector<std::optional<double>> means) {
  return testing::qc_run("", "C-" + date, date, means);
}

// A run saved later but measured earlier counts among the first 20; the same assay saved again
// takes its run's place, the same day written otherwise being the same day.
TEST(Westgard, TargetsFromTheFirstTwentyRunsOrAsEntered) {
  std::vector<QC_Run> runs;
  for (int day = 25; day >= 1; --day)  // saved newest first; the late runs must not count
    merge_run(runs, run_of("2026/11/" + std::to_string(day), {day > 20 ? 100.0 : day % 2 == 0 ? 11.0 : 9.0}));
  merge_run(runs, run_of("2026/12/1", {5.0, 7.0}));
  const Series established = make_series(runs, {});
  EXPECT_EQ(established.targets.count(2), 0u) << "one value of serum 2 sets no target";
  EXPECT_EQ(established.targets.at(1).runs, 20);
  EXPECT_DOUBLE_EQ(established.targets.at(1).mean, 10.0);
  EXPECT_NEAR(established.targets.at(1).sd, std::sqrt(20.0 / 19.0), 1e-12);
  EXPECT_NEAR(*established.z.back()[1], -5.0 / std::sqrt(20.0 / 19.0), 1e-12);
  EXPECT_DOUBLE_EQ(*make_series(runs, {{1, {5.5, 0.25, 0, {}, "", ""}}}).z.back()[1], -2.0) << "entered";

  QC_Run again = run_of("2026/12/01", {5.6, 7.0});
  again.assay_no = "C-2026/12/1";
  EXPECT_EQ(merge_run(runs, again), 25u);
  EXPECT_EQ(runs.size(), 26u);
  EXPECT_EQ(runs.back().serum(1)->mean, 5.6);
}

// No run is judged against a target its own value helped to make. Stored runs on days 1..n with
// values 9 and 11 by turns, and today's unsaved run of 13 after them: a target established from
// fewer than 20 stored values is provisional (drawn against, never judged by); from 20, it judges
// the runs after them and not the runs it came from; an entered one judges every run, a kept one
// the runs after the last it came from.
TEST(Westgard, NoRunIsJudgedAgainstATargetItHelpedToMake) {
  const struct {
    int stored;
    std::map<int, Kept_Target> kept;
    std::size_t run;  // the run looked at: a stored one by its day, 0 for today's
    const char* verdict;
    bool has_z;
  } cases[] = {
      {1, {}, 0, "目標値なし", false},
      {2, {}, 0, "判定なし (暫定の目標値)", true},
      {19, {}, 0, "判定なし (暫定の目標値)", true},
      {20, {}, 0, "警告", true},  // z = 3 / sqrt(20/19) = +2.92
      {20, {}, 20, "判定なし (目標値を決めた測定)", true},
      {22, {}, 21, "受理", true},
      {2, {{1, {10.0, 1.5, 0, {}, "", ""}}}, 1, "受理", true},
      {20, {{1, {10.0, 1.5, 20, {}, "", "2026-11-05\tC-2026/11/5"}}}, 5, "判定なし (目標値を決めた測定)", true},
      {20, {{1, {10.0, 1.5, 20, {}, "", "2026-11-05\tC-2026/11/5"}}}, 6, "受理", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.stored) + " stored, run " + std::to_string(c.run));
    std::vector<QC_Run> stored;
    for (int day = 1; day <= c.stored; ++day) {
      stored.push_back(run_of("2026/11/" + std::to_string(day), {day % 2 ? 9.0 : 11.0}));
      stored.back().id = day;
    }
    std::vector<QC_Run> runs = stored;
    const std::size_t today = merge_run(runs, run_of("2026/11/30", {13.0}));
    const Series series = make_series(runs, c.kept, &stored);
    const std::size_t run = c.run == 0 ? today : c.run - 1;
    EXPECT_EQ(run_verdict_text(series, run), c.verdict);
    EXPECT_EQ(series.z[run][1].has_value(), c.has_z);
  }
}

// The chart of a history of 21 runs with today's unsaved run dated before them: the target rests on
// the stored runs only, so a deletion that keeps it keeps the values shown, now marked as kept. The
// printed chart names the date of every run.
class QC_Chart : public testing::Program_Test {
 protected:
  QC_Chart() { program.qc_history.path = folder.file("qc.sqlite"); }
  // Runs of TSH on days first..last of May 2026, assay T-<day>, serum 1 at `value` of the day.
  void store_runs(int first, int last, double (*value)(int)) {
    for (int day = first; day <= last; ++day)
      ASSERT_TRUE(testing::store_in(
          program.qc_history.path,
          testing::qc_run("TSH", "T-" + std::to_string(day), "2026/5/" + std::to_string(day), {value(day)})));
  }
};

TEST_F(QC_Chart, AKeptTargetIsTheTargetShownAndEveryRunHasItsDate) {
  store_runs(2, 22, [](int day) { return 2.0 + (day % 3) * 0.1; });
  const std::optional<QC_Run> today = testing::qc_run("TSH", "T-1", "2026/5/1", {9.0});
  const auto target_shown = [&] {
    const auto judged = judged_runs(program, "TSH", today);
    return chart_target_text(chart_view(*judged, "TSH", 1));
  };
  const std::string before = target_shown();
  History_Store store;
  ASSERT_TRUE(store.open(program.qc_history.path, Connection::Mode::Write));
  ASSERT_EQ(delete_stored_run(store, program.qc_history.path, "TSH", "T-3", "2026/5/3", "誤登録").kind,
            Delete_Result::Kind::Deleted);
  const std::string after = target_shown();
  EXPECT_EQ(after.substr(0, after.find("  (")), before.substr(0, before.find("  (")));
  EXPECT_EQ(before.find("削除前の値を保持"), std::string::npos);
  EXPECT_NE(after.find("削除前の値を保持"), std::string::npos);

  const auto judged = judged_runs(program, "TSH", today);
  ui::Recording_Printer printer;
  QC_Chart_PRT(chart_view(*judged, "TSH", 1), printer);
  // A date "05/dd" under every run.
  EXPECT_EQ(std::count_if(printer.ops().begin(), printer.ops().end(),
                          [](const std::string& op) {
                            const auto printed = testing::printed_text(op);
                            return printed && printed->text.size() == 5 && printed->text.starts_with("05/") &&
                                   testing::is_digits(printed->text.substr(3));
                          }),
            21);
}

TEST_F(QC_Chart, DeletesThePickedRunOnlyWithAReasonAndAYes) {
  store_runs(1, 3, [](int day) { return 2.0 + day * 0.1; });
  Show_QC_Chart(program, false);
  Reg_QC& chart = *program.screen_as<Reg_QC>(Screen::QC_Chart);
  const struct {
    double click_x;  // where the chart is clicked first (in runs), none when negative
    const char* reason;
    bool yes;
    const char* told;
    std::size_t runs_left;
  } steps[] = {
      {-1, "誤って保存", true, "削除する測定を図でクリックして選んでください", 3},
      {1.5, "", true, "削除の理由を入力してください", 3},
      {1.5, "誤って保存", false, "", 3},
      {1.5, "誤って保存", true, "精度管理の履歴から測定を削除しました: TSH  アッセイＮｏ T-2  実験日 2026/5/2", 2},
  };
  chart.Chart.on_mouse_down(1, 0, 0.5, 0);  // a run picked shows its trail
  EXPECT_NE(chart.Rules.text.find("選択した測定の監査証跡:\r\n  "), std::string::npos) << chart.Rules.text;
  EXPECT_NE(chart.Rules.text.find("@" + station_name() + "  測定を保存"), std::string::npos) << chart.Rules.text;
  chart.Chart.on_mouse_down(1, 0, 29.5, 0);  // where no run stands: none picked
  for (const auto& step : steps) {
    SCOPED_TRACE(step.told);
    if (step.click_x >= 0) chart.Chart.on_mouse_down(1, 0, step.click_x, 0);
    testing::type_over(chart.Delete_Reason, step.reason);
    platform.messages.clear();
    platform.yes_no_answers = {step.yes};
    testing::click(chart.Delete_Run);
    EXPECT_EQ(platform.messages.empty() ? "" : platform.messages.back().substr(0, std::string(step.told).size()),
              step.told);
    EXPECT_EQ(chart.view().runs(), step.runs_left);
  }
  EXPECT_TRUE(platform.questions.back().ends_with("[既定: いいえ]")) << "Enter answers No";
}

// Two windows of the program save the same assay, the second with other counts. The second's chart
// shows its unsaved result beside the stored run as what each is; its save asks first, naming when,
// where and to which file the stored run was saved, "いいえ" the default: No keeps the stored run,
// Yes replaces it, the trail keeping the values replaced, and the chart then shows them as saved.
TEST_F(QC_Chart, ASecondSaveOfAnAssayAsksAndTheChartTellsStoredFromUnsaved) {
  const std::string history = program.qc_history.path;
  testing::write_bytes(folder.file("other.txt"),
                       testing::replaced(testing::read_bytes(testing::Example_Counts), " 7084 \r\n", " 6500 \r\n"));
  ui::Scripted_Platform second_platform;
  Program second(second_platform);
  second.qc_history.path = history;
  testing::run_wizard(program, platform, testing::Example_Conditions, testing::Example_Counts);
  testing::run_wizard(second, second_platform, testing::Example_Conditions, folder.file("other.txt"));
  ASSERT_TRUE(Save_Result_File(program, folder.file("first.txt")));
  EXPECT_TRUE(platform.questions.empty()) << "nothing stored yet, nothing asked";

  Show_QC_Chart(second, true);
  Reg_QC& chart = *second.screen_as<Reg_QC>(Screen::QC_Chart);
  EXPECT_NE(chart.Window_Label.caption.find("(未保存; 灰色の点は保存済みの記録)"), std::string::npos)
      << chart.Window_Label.caption;
  EXPECT_NE(chart.Rules.text.find("灰色の点: 今回の測定と同じ測定の保存済みの記録"), std::string::npos);
  for (const bool yes : {false, true}) {
    second_platform.yes_no_answers = {yes};
    ASSERT_TRUE(Save_Result_File(second, folder.file("second.txt")));
    ASSERT_FALSE(second_platform.questions.empty());
    const std::string& asked = second_platform.questions.back();
    EXPECT_NE(asked.find(" UTC に " + station_name() + " で保存 (結果ファイル " + folder.file("first.txt") + ")"),
              std::string::npos)
        << asked;
    EXPECT_TRUE(asked.ends_with("[既定: いいえ]"));
    const std::vector<QC_Run> runs = testing::runs_in(history);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].result_file, folder.file(yes ? "second.txt" : "first.txt"));
  }
  EXPECT_NE(chart.Window_Label.caption.find("(保存済み)"), std::string::npos) << chart.Window_Label.caption;
  const std::vector<Audit_Row> trail = testing::read_history(history, &History_Store::audit_trail);
  ASSERT_EQ(trail.size(), 2u);
  EXPECT_EQ(trail[1].action, Audit_Replace);
  EXPECT_NE(trail[1].before.find("result_file=" + folder.file("first.txt")), std::string::npos);
}

using Points = std::vector<std::pair<double, double>>;  // (mean concentration, CV) of a sample

// Samples of two usable tubes with these points, and these standards, after samples that must not
// count: one usable tube only, a CV of 0, no concentration.
std::unique_ptr<Assay_State> assay_with(const Points& points, const std::vector<double>& standards) {
  auto s = std::make_unique<Assay_State>();
  s->STD_Number = static_cast<Integer>(standards.size());
  for (std::size_t k = 0; k < standards.size(); ++k) s->STD_Data(4 + k, STD_Column::Concentration) = standards[k];
  Points all = {{5.0, 30.0}, {6.0, 0.0}, {0.0, 0.0}};
  all.insert(all.end(), points.begin(), points.end());
  for (Long i = 1; i <= static_cast<Long>(all.size()); ++i) {
    const auto [x, cv] = all[i - 1];
    s->Sample_Tube_N(i) = 2;
    s->Sample_Conc(i, 1) = x * 0.99, s->Sample_Conc(i, 2) = i == 1 ? 0.0 : x * 1.01;
    s->Sample_Data(i, Sample_Column::Mean) = x, s->Sample_Data(i, Sample_Column::Conc_CV) = cv;
  }
  s->Sample_Number = static_cast<Long>(all.size());
  return s;
}

// Concentrations 0.5 .. 128 from `lowest` on, their CVs on ln CV = ln 10 + sign * 0.3 (u - ln 2)
// (u - ln 50), which crosses 10 % exactly at 2 and 50, or scattered around it.
Points on_curve(double sign, double lowest = 0, bool scattered = false) {
  Points points;
  for (int k = 0; k <= 16; ++k) {
    const double x = 0.5 * std::pow(2.0, k / 2.0), u = std::log(x);
    const double ln_cv = std::log(10.0) + sign * 0.3 * (u - std::log(2.0)) * (u - std::log(50.0));
    if (x >= lowest) points.emplace_back(x, std::exp(ln_cv + (scattered ? 0.2 * std::sin(3.0 * k) : 0.0)));
  }
  return points;
}

std::array<double, 3> least_squares(const Points& points) {
  long double m[3][3] = {}, r[3] = {};
  for (const auto& [x, cv] : points) {
    const long double u = std::log(x), p[3] = {1, u, u * u};
    for (int i = 0; i < 3; ++i) {
      r[i] += p[i] * std::log(cv);
      for (int j = 0; j < 3; ++j) m[i][j] += p[i] * p[j];
    }
  }
  const auto det = [&](int c) {  // of m with its column c replaced by r (c = 3: none)
    const auto a = [&](int i, int j) { return j == c ? r[i] : m[i][j]; };
    return a(0, 0) * (a(1, 1) * a(2, 2) - a(1, 2) * a(2, 1)) - a(0, 1) * (a(1, 0) * a(2, 2) - a(1, 2) * a(2, 0)) +
           a(0, 2) * (a(1, 0) * a(2, 1) - a(1, 1) * a(2, 0));
  };
  return {static_cast<double>(det(0) / det(3)), static_cast<double>(det(1) / det(3)),
          static_cast<double>(det(2) / det(3))};
}

TEST(Precision_Profile, FitsByLeastSquaresAndFindsTheWorkingRange) {
  const struct {
    const char* name;
    double sign;
    std::vector<double> standards;
    double lowest_sample;
    bool scattered;
    std::string ranges;
  } cases[] = {
      {"a valley between the crossings", +1, {0.5, 1, 10, 100}, 0, false, "2.00 ～ 50.0"},
      {"held to the lowest standard", +1, {5, 10, 100}, 0, false, "5.00 ～ 50.0"},
      {"held to the lowest sample", +1, {0.5, 100}, 3, false, "4.00 ～ 50.0"},
      {"a hill: two stretches", -1, {0.5, 100}, 0, false, "0.500 ～ 2.00, 50.0 ～ 100"},
      {"scattered", +1, {0.5, 100}, 0, true, "2.01 ～ 50.8"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Points points = on_curve(c.sign, c.lowest_sample, c.scattered);
    const Precision_Profile profile = precision_profile(*assay_with(points, c.standards), 10);
    const std::array<double, 3> fit = least_squares(points);
    EXPECT_NEAR(profile.alpha, fit[0], 1e-9);
    EXPECT_NEAR(profile.beta, fit[1], 1e-9);
    EXPECT_NEAR(profile.gamma, fit[2], 1e-9);
    EXPECT_EQ(profile_summary(profile, "μg/dL"), "精度プロファイル: 測定範囲 (CV ≤ 10 %) " + c.ranges + " μg/dL");
  }
  Points first_four = on_curve(+1);
  first_four.resize(4);
  EXPECT_EQ(profile_summary(precision_profile(*assay_with(first_four, {0.5, 100}), 10), "μg/dL"),
            "精度プロファイル: 繰り返し測定された検体が足りません (4 件; 5 件以上が必要です)");
}

// The printed profile: a few samples as circles, many as shaded cells; the limit a solid red line
// and the fitted curve drawn over the samples, across their concentrations only.
TEST(Profile_Page, ShadesManySamplesAndDrawsLimitAndCurveOverThem) {
  for (const int samples : {17, 3000}) {
    SCOPED_TRACE(samples);
    Points points;
    for (int k = 0; k < samples; ++k) {
      const double x = 2 * std::pow(20.0, static_cast<double>(k) / (samples - 1)), u = std::log(x);
      points.emplace_back(
          x, std::exp(std::log(10.0) + 0.3 * (u - std::log(4.0)) * (u - std::log(30.0)) + 0.1 * std::sin(7.0 * k)));
    }
    const auto assay = assay_with(points, {0.5, 1, 10, 100});
    const Precision_Profile profile = precision_profile(*assay, 10);
    ui::Recording_Printer printer;
    Profile_PRT(*assay, profile, printer);
    const std::vector<std::string>& ops = printer.ops();
    const auto is = [](const char* kind) { return [kind](const std::string& op) { return op.starts_with(kind); }; };
    const auto red = std::find(ops.begin(), ops.end(), "colour 255,0,0");
    ASSERT_NE(red, ops.end());
    EXPECT_TRUE(red + 1 != ops.end() && red[1].starts_with("line "));
    const auto style = std::find_if(std::make_reverse_iterator(red), ops.rend(), is("style "));
    EXPECT_TRUE(style == ops.rend() || *style == "style 0") << "the limit is solid";
    EXPECT_EQ(std::count_if(ops.begin(), ops.end(), is("circle")), samples > 2000 ? 0 : samples);
    const auto grey = [](const std::string& op) { return op.starts_with("colour ") && op != "colour 0,0,0"; };
    EXPECT_EQ(std::any_of(ops.begin(), red, grey), samples > 2000) << "shaded cells";
    EXPECT_TRUE(std::none_of(red, ops.end(), is("circle"))) << "the samples lie under the limit and the curve";
    const auto curve = profile_curve(profile, profile_axes(profile));
    ASSERT_FALSE(curve.empty());
    EXPECT_NEAR(curve.front().first.first, std::log10(2.0), 0.05);
    EXPECT_NEAR(curve.back().second.first, std::log10(40.0), 0.05);
  }
}

using Batch_History = testing::History_Batch;

// What each run tells on standard error is recorded in golden/batch_history.txt, the scratch
// folder written <folder>.
TEST_F(Batch_History, OneRunPerAssayJudgedAndExported) {
  std::string told;
  const auto tell = [&](const testing::Batch_Outcome& outcome) {
    told += outcome.errors + "\n";
    return outcome.printed.ops();
  };
  // A file that is no history: told once, the result saved all the same, the file untouched.
  testing::write_bytes(history, "not a database\r\n");
  tell(save(history, "", "", false, 0, batch::Exit_Run_Not_Kept));
  EXPECT_EQ(export_history(history, folder.file("out.csv")).kind, Export_Result::Kind::Failed);
  EXPECT_EQ(export_history(history, history).kind, Export_Result::Kind::Refused);
  EXPECT_EQ(testing::read_bytes(history), "not a database\r\n");

  // The first run: judged without targets, yet drawn on each serum's chart, which says why.
  std::filesystem::remove(history);
  const auto count = [](const std::vector<std::string>& ops, const std::string& text) {
    return std::count_if(ops.begin(), ops.end(), [&](const std::string& op) { return op.find(text) != op.npos; });
  };
  const std::vector<std::string> drawn = tell(save(history, "", "", true));
  // The point on the mean line (z = 0 at y = 4200 twips) of the chart's one run.
  EXPECT_EQ(count(drawn, "circle 1950,4200 r50"), 3);
  EXPECT_EQ(count(drawn, "\"目標値はまだありません"), 3);
  // The same day written otherwise: the run is replaced, and the command line says so.
  EXPECT_NE(save(history, "2026/12/01", "2026/12/1").errors.find("同じ測定の記録を置き換えました"), std::string::npos);
  // A target that puts serum 1 at +3.5 SD: both runs break 1-3s, the later in run order also 2-2s.
  // C-99 comes before C-0142, its number taken as a number.
  History_Store store;
  std::vector<QC_Run> runs;
  ASSERT_TRUE(store.open(history, Connection::Mode::Write));
  ASSERT_TRUE(store.runs_of("コルチゾール", runs));
  ASSERT_EQ(runs.size(), 1u) << "saved twice, one run";
  ASSERT_TRUE(store.keep_target("コルチゾール", 1, {*runs[0].sera[0].mean - 0.035, 0.01, 0, {}, "", ""}));
  // The report carries the verdict under the control-serum table (its charts are the screens').
  EXPECT_EQ(count(tell(save(history, "C-0142", "C-99", true)), "\"判定: 却下  1-2s (Sera 1), 1-3s (Sera 1)\""), 1);
  const Export_Result written = export_history(history, folder.file("history.csv"));
  EXPECT_EQ(written.message, "精度管理の履歴を書き出しました: " + folder.file("history.csv") + " (2 回, 6 行)");
  std::string csv = testing::read_bytes(folder.file("history.csv"));
  for (std::size_t at; (at = csv.find("," + station_name() + "\r\n")) != std::string::npos;)
    csv.replace(at + 1, station_name().size(), "STATION");  // the host name of whatever machine runs the test
  testing::expect_golden("history.csv", csv);

  // Read off a 4PL, a run is judged against targets that came from logit-log runs: it says so.
  tell(save(history, "C-0142", "C-7", false, 1));
  for (std::size_t at; (at = told.find(folder.path().string())) != std::string::npos;)
    told.replace(at, folder.path().string().size(), "<folder>");
  testing::expect_golden("batch_history.txt", told);
}

// A history that another program keeps locked past the wait: the result is saved, the run is kept
// nowhere, which is told, and the status is 4. The report, printed before the save as the save would
// keep the run, is printed again: its charts say the run is not saved.
TEST_F(Batch_History, ARunKeptNowhereIsToldAndItsReportSaysSo) {
  save(history);
  sqlite3* other = nullptr;
  sqlite3_open(history.c_str(), &other);
  sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);  // readers go on, writers wait
  const testing::Batch_Outcome outcome = save(history, "C-0142", "C-0143", true, 0, batch::Exit_Run_Not_Kept);
  sqlite3_close(other);
  EXPECT_NE(outcome.errors.find("qc.sqlite (他のプログラムが使用中です: database is locked)\n"
                                "この測定の精度管理の記録はどこにも保存されていません"),
            std::string::npos)
      << outcome.errors;
  std::vector<std::string> labels;
  for (const std::string& op : outcome.printed.ops())
    if (const auto at = op.find("点線: 今回の測定 "); at != std::string::npos) labels.push_back(op.substr(at));
  ASSERT_EQ(labels.size(), 6u) << "three charts printed, and printed again";
  for (std::size_t i = 0; i < 6; ++i)
    EXPECT_TRUE(labels[i].starts_with(i < 3 ? "点線: 今回の測定 (保存済み)" : "点線: 今回の測定 (未保存)"))
        << labels[i];
  EXPECT_EQ(testing::runs_in(history).size(), 1u);
}

}  // namespace
}  // namespace quorin::qc
