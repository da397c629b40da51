// The curve's procedures on small hand-made assays, recorded whole (tests/curve/golden/): the
// standards' means, CVs and B/B0 at and beyond the bounds, the eight fits with their weights and
// the reasons a fit is not available, the solver's window and Newton steps, the read-back of the
// standards, sera and samples (empty, clamped and unusable tubes, the 700 limit, the area code,
// the dilution factor) and the weighting comparison's grids (that no value anywhere in the state is
// NaN or infinite is the random assays' check). Values to 10 significant digits;
// after a deliberate change, rewrite the records with QUORIN_UPDATE_GOLDEN=1 ctest --preset
// release -R Curve_Record and review every changed figure.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "curve_fixture.h"
#include "engine/fit_choice.h"
#include "engine/fitness.h"
#include "engine/regression.h"
#include "engine/samples.h"
#include "engine/solve.h"
#include "engine/treatment_standard.h"
#include "engine/weight_table.h"
#include "support/test_support.h"

namespace quorin {
namespace {

std::string number(double value) { return " " + testing::figures(value, 10); }

template <typename Get>
std::string values(const std::string& name, int first, int last, Get get) {
  std::string line = name + ":";
  for (int i = first; i <= last; ++i) line += number(get(i));
  return line + "\n";
}

// Standard-side row g: usable tubes | its columns 0..8 | its tubes' concentrations.
std::string standard_row(const Assay_State& s, int g) {
  return values("STD " + std::to_string(g) + " tubes " + std::to_string(s.STD_Tube_N(g)), 0, 8 + s.STD_Tubes,
                [&](int c) { return c <= 8 ? s.STD_Data(g, c) : s.STD_Conc(g, c - 8); });
}

TEST(Curve_Record, TreatmentOfTheStandards) {
  // NSB means 110, B0 5110: 2610 is 50 %. Standards at, above and below the bounds, one whose
  // second tube is empty, one whose first is (holding figures of an earlier file).
  auto s = testing::new_state();
  s->STD_Number = 9;
  s->STD_Tubes = 3;
  const std::vector<std::vector<Long>> counts = {{100, 110, 120},    {20000, 20000, 20000},
                                                 {5110, 5110, 5110}, {2610, 2610},
                                                 {5110, 5110},       {6000, 6000},
                                                 {110, 110},         {50, 60},
                                                 {5100, 5100},       {125, 125},
                                                 {1000, 0, 1200},    {0, 3000, 3000}};
  for (int g = 1; g <= 12; ++g) testing::set_counts(s->STD_Count, g, counts[g - 1]);
  for (int c = 1; c <= 3; ++c) s->STD_Data(12, c) = 40 + c;
  std::string out;
  Treatment_Standard(*s);
  for (int g = 1; g <= 12; ++g) out += standard_row(*s, g);
  testing::set_counts(s->STD_Count, 3, {100, 110, 120});  // B0 at the NSB
  Treatment_Standard(*s);
  out += "\nB0 at the NSB\n" + standard_row(*s, 3) + standard_row(*s, 4) + standard_row(*s, 7);
  testing::expect_golden("treatment.txt", out);
}

// What is changed, and the change.
using Arrangement = std::pair<const char*, void (*)(Assay_State&)>;

const Arrangement Regressions[] = {
    {"the whole range", [](Assay_State&) {}},
    {"standards 2 to 5", [](Assay_State& s) { s.Fit_From = 2, s.Fit_To = 5; }},
    {"standard 3 a single tube", [](Assay_State& s) { s.STD_Tube_N(6) = 1; }},
    {"concentration zero", [](Assay_State& s) { s.STD_Data(6, STD_Column::Concentration) = 0; }},
    {"concentration negative, outside the range",
     [](Assay_State& s) { s.STD_Data(4, STD_Column::Concentration) = -1, s.Fit_From = 2; }},
    {"empty range", [](Assay_State& s) { s.Fit_From = 4, s.Fit_To = 2; }},
    {"range beyond the standards", [](Assay_State& s) { s.Fit_To = 7; }},
    {"three concentrations", [](Assay_State& s) { s.Fit_From = 2, s.Fit_To = 4; }},
    {"repeated concentrations",
     [](Assay_State& s) {
       for (int row : {5, 7, 9})
         s.STD_Data(row, STD_Column::Concentration) = s.STD_Data(row - 1, STD_Column::Concentration);
     }},
    {"one concentration", [](Assay_State& s) { s.Fit_From = s.Fit_To = 3; }},
    {"standard without a usable tube", [](Assay_State& s) { s.STD_Tube_N(5) = 0; }},
    {"every standard at one B/B0",
     [](Assay_State& s) {
       for (int k = 4; k <= 9; ++k)
         s.STD_Data(k, STD_Column::Percent) = 99.5, s.STD_Data(k, STD_Column::Logit) = std::log(199.0);
     }},
    {"zero standard not above the NSB",
     [](Assay_State& s) { s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count) = 250; }},
    {"every standard a single tube",
     [](Assay_State& s) {
       for (int k = 4; k <= 9; ++k) s.STD_Tube_N(k) = 1;
     }},
};

// Six standards whose mean logits lie exactly on y = 0.3 - 1.1 x + 0.05 x^2 - 0.02 x^3, replicate
// tubes scattered around them so that every weight is positive. Earlier coefficients and the
// user's choice stand before each run: an unavailable fit must show zeros, the choice stays.
TEST(Curve_Record, RegressionOfEveryWeightingAndOrder) {
  std::string out;
  for (const auto& [name, arrange] : Regressions) {
    auto s = testing::assay_with_means(6, 250, 10250);
    s->STD_Tubes = 3;
    const double concentrations[] = {1, 2, 5, 10, 20, 50};
    for (int k = 1; k <= 6; ++k) {
      const double x = std::log(concentrations[k - 1]);
      const double y = 0.3 - 1.1 * x + 0.05 * x * x - 0.02 * x * x * x;
      const double bound = 250 + 10000 / (1 + std::exp(-y));
      testing::set_treated_standard(*s, k, concentrations[k - 1], y,
                                    {Long(bound * 0.97), Long(bound * 1.01), Long(bound * 1.04)});
    }
    s->Fit_From = 1, s->Fit_To = 6, s->Weight_Type = 1, s->Reg_Order = 3;
    s->Reg_Coef.fill(7);
    s->Fit_Available.fill(true);
    arrange(*s);
    const auto result = Regression(*s);
    out += std::string(name) + values(" / choice, stage", 0, 2, [&](int i) {
             return i == 0 ? s->Weight_Type : i == 1 ? s->Reg_Order : static_cast<Integer>(s->Plot_Stage);
           });
    out += values("Reg_Work 29..34", 29, 34, [&](int m) { return s->Reg_Work(m); });
    out += values("Distance_Weight", 1, 6, [&](int i) { return s->Distance_Weight(i); });
    out += values("Logit_Weight", 1, 6, [&](int i) { return s->Logit_Weight(i); });
    out += values("STD_Log_Conc", 1, 6, [&](int i) { return s->STD_Log_Conc(i); });
    out += values("available", 0, 7, [&](int i) { return s->Fit_Available(i) ? 1 : 0; });
    for (int w = 0; w < 4; ++w)
      out += values("Reg_Coef " + std::to_string(w), 1, 6, [&](int m) { return s->Reg_Coef(w, m); });
    for (const std::string& message : result.messages) out += "message: " + message + "\n";
    out += "\n";
  }
  testing::expect_golden("regression.txt", out);
}

TEST(Curve_Record, SolutionOfEquations) {
  // Standards with logits +2 and -2: the cubic is solved for -4 < target < 4.
  const struct {
    int order;
    double a0, a1, a2, a3, intercept, slope, target;
  } cases[] = {
      {1, 0, 0, 0, 0, 2, -1, 0},         {1, 0, 0, 0, 0, 2, 0, 1.5},        {3, 1, -1, 0, -0.1, 1, -1.2, 0.5},
      {3, 1, -1, 0, -0.1, 1, -1.2, 4},   {3, 1, -1, 0, -0.1, 1, -1.2, -4},  {3, 1, -1, 0, -0.1, 1, -1.2, -7},
      {3, 1, -1, 0, -0.1, 1, -1.2, 3.9}, {3, 1.3, -1, 0, -0.1, 1, -1.2, 1}, {3, 0.5, 0, 1, 0, -1, 1, 1.5},
      {3, 0.5, 1, 1, 0, 0.5, 1, 0},      {3, 2, -2, 0, 1, 0.7, 0.3, 2.2},   {3, 1, 0, 0, 1e-300, 1, 1e-300, 0.5},
      {3, 0, 0, 0, 0, 1, 1e-320, 0.5},
  };
  std::string out;
  auto s = testing::new_state();
  s->STD_Number = 2;
  s->STD_Data(4, STD_Column::Logit) = 2;
  s->STD_Data(5, STD_Column::Logit) = -2;
  for (const auto& c : cases) {
    const double slots[] = {c.a0, c.a1, c.a2, c.a3, c.slope, c.intercept};
    for (int k = 0; k < 6; ++k) s->Reg_Work(29 + k) = slots[k];
    for (int slot = 35; slot <= 40; ++slot) s->Reg_Work(slot) = 0;
    s->Reg_Order = static_cast<Integer>(c.order);
    s->Target_Logit = c.target;
    Solution_of_Equations(*s);
    out += values("target" + number(c.target) + ", curve", 29, 34, [&](int m) { return s->Reg_Work(m); });
    out += values("  Reg_Work 0, 35..40", 34, 40, [&](int m) { return s->Reg_Work(m == 34 ? 0 : m); });
  }
  testing::expect_golden("solve.txt", out);
}

// NSB 100, B0 5100: a count c reads B/B0 = (c - 100) / 50 %. The chosen line y = ln 3 - x reads a
// tube of B/B0 P back as 3 / odds(P): 2600 (50 %) gives 3, 3850 (75 %) gives 1, standard 1.
std::unique_ptr<Assay_State> measured_assay() {
  auto s = testing::assay_with_means(4, 100, 5100);
  const double standards[] = {1, 2, 5, 10};
  for (int k = 1; k <= 4; ++k) s->STD_Data(3 + k, STD_Column::Concentration) = standards[k - 1];
  testing::choose_line(*s, 0, std::log(3.0), -1);
  s->Dilution_Factor = 2;
  s->STD_Tubes = s->Sera_Tubes = s->Sample_Tubes = 4;
  const std::vector<std::vector<Long>> standard = {{2600, 3600}, {5100, 12000, 10050}, {100, 50, 150}, {}};
  const std::vector<std::vector<Long>> sera = {{2600, 6000, 50}, {2600}, {}, {2600, 0, 3600}};
  const std::vector<std::vector<Long>> samples = {{2600, 2600, 2600}, {2600, 3600}, {5100, 1100, 2600}, {50, 100, 6000},
                                                  {1000, 0, 1200},    {3850, 3850}, {150, 0, 0, 4000}};
  for (int k = 1; k <= 4; ++k) {
    testing::set_counts(s->STD_Count, 3 + k, standard[k - 1]);
    s->STD_Tube_N(3 + k) = static_cast<Integer>(standard[k - 1].size());
    s->STD_Data(3 + k, STD_Column::Back_Mean) = 9;  // a figure of an earlier examination
  }
  s->Sera_Number = 4;
  for (int i = 1; i <= 4; ++i) testing::set_counts(s->Sera_Count, i, sera[i - 1]);
  // A serum without counts keeps its tube values, and its figures of an earlier file are cleared.
  s->Sera_Conc(3, 1) = 77;
  for (int c = 1; c <= 5; ++c) s->Sera_Data(3, c) = 70 + c;
  s->Sample_Number = 7;
  for (int i = 1; i <= 7; ++i) testing::set_counts(s->Sample_Count, i, samples[i - 1]);
  return s;
}

TEST(Curve_Record, ReadBackOfStandardsSeraAndSamples) {
  const Arrangement changes[] = {
      {"the line y = ln 3 - x", [](Assay_State&) {}},
      {"so flat a line that 1 % reads back beyond 700", [](Assay_State& s) { testing::choose_line(s, 0, 0, -0.001); }},
      {"a line on which 20 % reads back at e^699: squares beyond any double",
       [](Assay_State& s) { testing::choose_line(s, 0, 0, std::log(0.25) / 699); }},
      {"B0 at the NSB", [](Assay_State& s) { s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count) = 100; }},
      {"an NSB below zero would read an empty tube",
       [](Assay_State& s) { s.STD_Data(STD_Row::NSB, STD_Column::Mean_Count) = -1000; }},
      {"the chosen cubic not available: nothing changes", [](Assay_State& s) { s.Reg_Order = 3; }},
  };
  std::string out;
  for (const auto& [name, arrange] : changes) {
    const auto state = measured_assay();
    Assay_State& s = *state;
    arrange(s);
    for (int m = 29; m <= 34; ++m) s.Reg_Work(m) = 3;  // another fit's coefficients left current
    const Curve_Outcome curve = make_curve_in_force(s);
    out += std::string(name) + "\n" + values("examined, sera, samples", 1, 3, [&](int i) {
             if (!curve.curve) return false;
             if (i == 1) Fitness_Examination(s, *curve.curve);
             if (i == 2) Control_Sera(s, *curve.curve);
             return i < 3 || Assay_Samples(s, *curve.curve);
           });
    for (int k = 1; k <= 4; ++k) out += standard_row(s, 3 + k);
    for (int i = 1; i <= 4; ++i)
      out += values("serum " + std::to_string(i) + " tubes " + std::to_string(s.Sera_Tube_N(i)), 1, 9,
                    [&](int c) { return c <= 5 ? s.Sera_Data(i, c) : s.Sera_Conc(i, c - 5); });
    for (Long i = 1; i <= 7; ++i)
      out += values("sample " + std::to_string(i) + " tubes " + std::to_string(s.Sample_Tube_N(i)), 0, 9,
                    [&](int c) { return c <= 5 ? s.Sample_Data(i, c) : s.Sample_Conc(i, c - 5); });
    out += "\n";
  }
  testing::expect_golden("read_back.txt", out);
}

// Weighting w has the line y = (2 + w) - x and the cubic y = (2 + w) - x + 0.001 x^3.
TEST(Curve_Record, WeightingComparison) {
  auto s = testing::assay_with_means(2, 100, 10000);
  s->STD_Data(4, STD_Column::Logit) = 4;  // the cubic is solved for -8 < logit < 8
  s->STD_Data(5, STD_Column::Logit) = -4;
  for (int w = 0; w < 4; ++w) {
    const double coefficients[] = {2.0 + w, -1, 0, 0.001, -1, 2.0 + w};
    for (int m = 1; m <= 6; ++m) s->Reg_Coef(w, m) = coefficients[m - 1];
  }
  s->Fit_Available.fill(true);
  s->Fit_Available(fit_index(1, 3)) = false;
  s->ED50_Value.fill(9);       // from an earlier comparison
  s->Reg_Coef(3, 5) = -0.001;  // weighting 3's line: x = 1000 (6 - logit), beyond 700
  s->Reg_Coef(3, 6) = 6;
  s->Weight_Type = 2;
  s->Reg_Order = 3;
  Weight_Grids grids;
  std::string out;
  for (const std::vector<Long>& zero_standard : {std::vector<Long>{10000}, std::vector<Long>{10000, 10300, 9700}}) {
    for (std::size_t j = 0; j < zero_standard.size(); ++j) s->STD_Count(3, j + 1) = zero_standard[j];
    s->STD_Tube_N(3) = static_cast<Integer>(zero_standard.size());
    Weight_Table(*s, grids);
    auto line = [&](auto cell) {
      std::string text = cell(0);
      for (int c = 1; c <= 8; ++c) text += " | " + cell(c);
      return text + "\n";
    };
    for (int row : {0, 1, 2, 26, 50, 51, 52, 76, 100, 101}) out += line([&](int c) { return grids.ed(row, c); });
    for (int d = 0; d <= 3; ++d) out += line([&](int c) { return grids.detection(d, c); });
    out += values("ED50_Value", 0, 7, [&](int i) { return s->ED50_Value(i); });
    out += values("choice", 0, 1, [&](int i) { return i == 0 ? s->Weight_Type : s->Reg_Order; });
    out += values("Reg_Work 29..34", 29, 34, [&](int m) { return s->Reg_Work(m); }) + "\n";
  }
  int filled = 0;
  for (int row = 1; row <= 101; ++row)
    for (int c = 1; c <= 8; ++c) filled += grids.ed(row, c).empty() ? 0 : 1;
  EXPECT_EQ(filled, 5 * 101) << "weighting 3 answers beyond 700 with its line, also outside the cubic's window";
  testing::expect_golden("weight_table.txt", out);
}

}  // namespace
}  // namespace quorin
