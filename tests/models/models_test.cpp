// The 4PL and 5PL: data that cannot give a curve gives none, with the reason; nothing is read off
// at or beyond a curve's asymptotes; every sample, serum and standard tube gets the concentration
// the fitted curve gives its response (a sample tube outside the curve's range is left out while a
// serum tube there counts as 0), the titles name the model, the parameters, standard errors, s and
// AIC under every weighting are recorded, and an assay that cannot give the model changes nothing
// and says why. That a fit the program calls available is the least-squares minimum of its
// standards is checked on random assays.
//
// The model screen as a user meets it: reached from the fitted curves only, choosing a curve on it
// closes the results shown before (that the tables then name and use it is the screens-vs-command-
// line comparison's, for every model and weighting), a curve that cannot be computed is refused,
// and its print button prints one page that fits. Every open window follows the curve in force, or
// says that it no longer shows it.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <tuple>
#include <vector>

#include "engine/fitness.h"
#include "engine/logistic_fit.h"
#include "engine/result_curve.h"
#include "engine/samples.h"
#include "engine/treatment_standard.h"
#include "graph/reg_graph.h"
#include "models/reg_model.h"
#include "navigation/navigation.h"
#include "qc/reg_profile.h"
#include "qc/reg_qc.h"
#include "results/reg_result.h"
#include "results/result_table.h"
#include "state/program_fixture.h"
#include "support/screen_text.h"

namespace quorin {
namespace {

// A 4PL with A = 99, B = 1.05, C = 7 and D = 1.5, straight from its definition.
double f(double x) { return 1.5 + 97.5 / (1 + std::pow(x / 7, 1.05)); }

TEST(Logistic_Fit, DataThatCannotGiveACurveGiveNoneAndNothingIsReadOffAtOrBeyondTheAsymptotes) {
  // Four points are too few whatever they hold (too few kinds of concentration are refused on the
  // model screen); standards in triplicate, the zero standard's included, on curves a 4PL misses.
  std::vector<Model_Point> falling_straight, rising;
  int i = 0;
  for (double x : {0.0, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 40.0, 60.0}) {
    for (int tube = 0; tube < 3; ++tube) {
      const double scatter = std::sin(12.9898 * ++i), p = x == 0 ? 99 : f(x);
      falling_straight.push_back({x, 100 - x + 0.01 * scatter, 1});  // never levels off
      rising.push_back({x, 100 - p - 0.01 * scatter, 1});
    }
  }
  const std::pair<std::vector<Model_Point>, std::string> cases[] = {
      {{{0, 99, 1}, {0, 99.2, 1}, {0.5, 90, 1}, {1, 85, 1}}, "4PL：点が 4 個しかありません（5 個以上が必要です）"},
      {falling_straight, "4PL：当てはめが収束しませんでした"},
      {rising, "4PL：濃度とともに下がる曲線になりません"},
  };
  for (const auto& [points, problem] : cases) {
    const Logistic_Fit fit = fit_logistic(points, {Four_PL, 100, 1, 5, 0, 1});
    EXPECT_TRUE(!fit.available && fit.problem == problem) << fit.problem;
  }
  for (const Logistic c : {Logistic{Four_PL, 99, 1.05, 7, 1.5, 1}, Logistic{Five_PL, 99, 1.05, 7, 1.5, 1.3}})
    for (double p : {c.A, c.D, c.A + 1, c.D - 1}) EXPECT_FALSE(c.concentration(p).has_value()) << c.kind << " " << p;
}

// Duplicates scattered evenly about a 4PL (A = 100, B = 1, C = 4, D = 0), started at its
// parameters as the logit-log start values are when the standards lie on a logistic: the solver
// finds no better point, which is the fit, not a failure to converge.
TEST(Logistic_Fit, AStartAtTheMinimumIsTheFit) {
  std::vector<Model_Point> points;
  for (const auto& [x, p, scatter] :
       {std::tuple{0.0, 100.0, 0.8}, {1.0, 80.0, 0.1}, {4.0, 50.0, 0.4}, {16.0, 20.0, 0.1}, {36.0, 10.0, 0.1}})
    for (double sign : {-1, 1}) points.push_back({x, p + sign * scatter, 1});
  const Logistic_Fit fit = fit_logistic(points, {Four_PL, 100, 1, 4, 0, 1});
  ASSERT_TRUE(fit.available) << fit.problem;
  EXPECT_NEAR(fit.curve.C, 4, 1e-9);
  EXPECT_NEAR(fit.curve.B, 1, 1e-9);
}

constexpr double Nsb = 200, B0 = 10200;

Long count_at(double percent) { return static_cast<Long>(std::lround(Nsb + (B0 - Nsb) * percent / 100)); }

std::string number(double value) { return " " + testing::figures(value, 7); }

// Eight standards on a 4PL with D = 3, a serum with a tube above the top, a sample with a tube
// below the bottom; the 4PL with counting statistics chosen for the results.
std::unique_ptr<Assay_State> model_assay() {
  auto s = std::make_unique<Assay_State>();
  s->STD_Number = 8;
  s->STD_Tubes = s->Sera_Tubes = s->Sample_Tubes = 2;
  const Long fixed_rows[3][2] = {{195, 205}, {20000, 20000}, {10150, 10250}};  // NSB, TOTAL, B0
  const double concentrations[] = {0.5, 1, 2, 5, 10, 20, 40, 60}, sera_samples[3][2] = {{40, 105}, {60, 62}, {30, 0.2}};
  for (int tube = 1; tube <= 2; ++tube) {
    for (int k = 1; k <= 8; ++k) {
      s->STD_Data(3 + k, STD_Column::Concentration) = concentrations[k - 1];
      s->STD_Count(3 + k, tube) =
          count_at((3 + 97 / (1 + std::pow(concentrations[k - 1] / 7, 1.1))) * (tube == 1 ? 1.01 : 0.99));
      if (k <= 3) s->STD_Count(k, tube) = fixed_rows[k - 1][tube - 1];
    }
    s->Sera_Count(1, tube) = count_at(sera_samples[0][tube - 1]);
    for (int i = 1; i <= 2; ++i) s->Sample_Count(i, tube) = count_at(sera_samples[i][tube - 1]);
  }
  s->Sera_Number = 1, s->Sample_Number = 2, s->Dilution_Factor = 2;
  Treatment_Standard(*s);
  s->Fit_From = 1, s->Fit_To = 8, s->Reg_Order = 1;
  s->Curve_Model = Four_PL;
  s->Model_Weight = 1;
  return s;
}

// Every standard, serum and sample tube read off each model, recorded (golden/read_off.txt): the
// sample tube below the curve's bottom is left out (0, not averaged), the serum tube above its top
// counts as 0. Then the fitted parameters, their standard errors, s and AIC of both models under
// each weighting (golden/fits.txt).
TEST(Model_Results, EveryTubeIsReadOffTheModelAndTheFitsOfEveryWeightingAreRecorded) {
  std::string out;
  for (int kind : {Four_PL, Five_PL}) {
    const auto state = model_assay();
    Assay_State& s = *state;
    s.Curve_Model = static_cast<Integer>(kind);
    const Curve_Outcome curve = make_curve_in_force(s);
    ASSERT_TRUE(curve.curve && Assay_Samples(s, *curve.curve));
    Control_Sera(s, *curve.curve);
    Fitness_Examination(s, *curve.curve);
    out += table_title(s, Result_Kind::Sera) + "\nstandards:";
    for (int k = 1; k <= 8; ++k) out += number(s.STD_Conc(3 + k, 1)) + number(s.STD_Conc(3 + k, 2));
    out += "\nserum:" + number(s.Sera_Conc(1, 1)) + number(s.Sera_Conc(1, 2));
    for (int c = 1; c <= 5; ++c) out += number(s.Sera_Data(1, c));
    for (Long i = 1; i <= 2; ++i) {
      out += "\nsample " + std::to_string(i) + ":" + number(s.Sample_Conc(i, 1)) + number(s.Sample_Conc(i, 2));
      for (int c = 1; c <= 5; ++c) out += number(s.Sample_Data(i, c));
    }
    out += "\n";
  }
  testing::expect_golden("read_off.txt", out);
  out.clear();
  for (int weighting = 0; weighting < 3; ++weighting) {
    const Model_Fits fits = fit_models(*model_assay(), weighting);
    for (int kind : {Four_PL, Five_PL}) {
      const Logistic_Fit& fit = fits.of(kind);
      out += model_name(kind) + " " + model_weight_name(weighting) + ":";
      for (double value : fit.curve.values()) out += number(value);
      for (double value : fit.error) out += number(value);
      out += number(fit.s) + number(fit.aic) + "\n";
    }
  }
  testing::expect_golden("fits.txt", out);
}

TEST(Model_Results, AnAssayThatCannotGiveTheModelIsRefusedWithItsReason) {
  const auto s = model_assay();
  const auto refused = [&s](const std::string& reason) {
    const Curve_Outcome curve = make_curve_in_force(*s);
    EXPECT_FALSE(curve.curve);
    EXPECT_NE(curve.refusal.find(reason), std::string::npos) << curve.refusal;
  };
  s->Model_Weight = 2;
  s->STD_Data(11, STD_Column::Mean_Count) = 200;  // standard 8 at the NSB mean: a response of 0
  refused("スタンダード 8 の平均レスポンスが 0 以下のため、重み付け「CV一定」を使えません");
  s->STD_Data(STD_Row::Zero, STD_Column::Mean_Count) = 200;  // B0 at the NSB
  refused("ゼロ標準の平均カウントが NSB の平均カウント以下のため、4PL・5PL を計算できません");
}

using testing::click;

// The example assay through the wizard: its tables shown, the fitted curves behind them.
class Model_Screen : public testing::Example_Assay_Test {
 protected:
  Reg_Graph& graph() { return *program.screen_as<Reg_Graph>(Screen::Graph); }
  Reg_Model& models() { return *program.screen_as<Reg_Model>(Screen::Model); }
  Reg_Result& results() { return *program.screen_as<Reg_Result>(Screen::Result); }
};

TEST_F(Model_Screen, TheChosenCurveIsTheOneTheResultsUse) {
  program.desktop.show(graph());
  click(graph().Command[target::Switch_View]);  // the standard plot
  EXPECT_FALSE(graph().Command[target::Models].visible) << "the model screen is reached from the fitted curves only";
  click(graph().Command[target::Switch_View]);
  click(graph().Command[target::Models]);
  ASSERT_EQ(program.desktop.front(), &models());
  click(models().Weight_Choice[2]);  // the logit-log fit's tables stand (the windows test sees to it)
  click(models().Model_Choice[Five_PL]);
  // The table of the logit-log fit's sera stays where it was and says why (that it is emptied by
  // the same choice is the test of the curve screen out of date).
  EXPECT_EQ(results().caption, "測定結果 ― 表の計算後に条件または測定値が変わりました。ボタンで計算し直してください");

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
}

TEST_F(Model_Screen, ACurveThatCannotBeComputedIsRefused) {
  testing::type_over(graph().Range_Box[1], "3");
  testing::press(graph().Range_Box[1], ui::Key_Return);
  click(graph().Command[target::Models]);
  platform.messages.clear();
  click(models().Model_Choice[Five_PL]);
  const std::string why = "5PL：濃度が 4 種類しかありません（ゼロ標準を含めて 5 種類以上が必要です）";
  EXPECT_EQ(platform.messages, std::vector<std::string>{"5PL は使えません\n" + why});
  EXPECT_EQ(program.state.Curve_Model, Logit_Log);
  EXPECT_TRUE(models().Model_Choice[Logit_Log].value);
  EXPECT_EQ(models().Notice.caption, why);
}

// That no open window shows another curve's results without saying so is the random screen
// events' check after every event; here, what the windows say when the curve changes under them.
TEST_F(Model_Screen, OpenWindowsFollowTheCurveInForce) {
  // With the logit-log fit in use, the 4PL/5PL weighting leaves the results standing.
  click(graph().Command[target::Models]);
  click(models().Weight_Choice[1]);
  EXPECT_FALSE(results().Label1[Reg_Result::Page_Rows].caption.empty()) << results().caption;

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
  program.desktop.show(graph());  // no logit-log fit is marked there: the random screen events' check
  EXPECT_EQ(graph().caption, "検量線表示 ― 測定結果は 5PL 計数統計 で求めます");

  // The cubic chosen on the curve screen takes over: the table of the 5PL empties itself, the model
  // screen names it at once, the chart and the profile say that they show other results and are
  // drawn afresh before printing or on request.
  click(graph().Choice[1]);
  EXPECT_EQ(results().Label1[Reg_Result::Page_Rows].caption, "");
  EXPECT_EQ(graph().caption, "検量線表示");
  EXPECT_EQ(models().Chosen.caption, "測定結果はこの曲線で求めます: ロジット・ログ 重無3次");
  EXPECT_EQ(profile.caption, "精度プロファイル ― 最新の結果ではありません");
  program.desktop.show(chart);
  click(chart.Print);
  EXPECT_FALSE(chart.Update.visible || chart.out_of_date()) << "printed from the sera in force";
  program.desktop.show(profile);
  click(profile.Update);
  EXPECT_NE(profile.Fit_Label.caption, five_pl_profile);
}

}  // namespace
}  // namespace quorin
