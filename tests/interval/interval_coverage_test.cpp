// Coverage of the 95 % intervals by simulation, from a fixed seed: assays drawn from a known
// competitive curve with Poisson counts (NSB, TOTAL and zero standard in duplicate, 8 standards x
// 2 tubes, 50 samples x 2 tubes at known concentrations spread over the standards' range), each
// reduced as the command line reduces it (treatment, the eight logit-log fits, the curve chosen,
// the samples read off it, their flags) under every curve the program offers. The curve is a
// logistic whose top and bottom are the zero standard's and the NSB's counts, so that every
// curve can represent it: the logit-log line, its cubic, the 4PL and the 5PL.
//
// The share of intervals that hold the true concentration must lie within 93..97 % for the
// curves whose weighting describes Poisson counts (4PL and 5PL by counting statistics) and for
// the logit-log line with the logit-transform correction. The other curves' shares are printed
// (by thirds of the concentration range) and not judged: their weightings assume a response
// variance that Poisson counts do not have.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "curve/curve_fixture.h"
#include "engine/concentration_interval.h"
#include "engine/fit_choice.h"
#include "engine/logistic.h"
#include "engine/regression.h"
#include "engine/result_flags.h"
#include "engine/samples.h"
#include "engine/treatment_standard.h"

namespace quorin {
namespace {

constexpr int Assays = 200;
constexpr double Nsb = 400, B0 = 10000, Total = 20000, ED50 = 5, Hill = 1;
constexpr std::array<double, 8> Standards = {0.5, 1, 2, 4, 8, 16, 32, 64};
constexpr int Samples = 50;
constexpr double Lowest_Sample = 0.7, Highest_Sample = 45;
constexpr double Lowest_Share = 0.93, Highest_Share = 0.97;

double expected_count(double x) { return Nsb + (B0 - Nsb) / (1 + std::pow(x / ED50, Hill)); }

// Sample i = 1..Samples, spread evenly in ln(concentration).
double sample_concentration(int i) {
  return Lowest_Sample * std::pow(Highest_Sample / Lowest_Sample, (i - 1.0) / (Samples - 1));
}

void draw_assay(Assay_State& s, std::mt19937& random) {
  const auto tube = [&random](double mean) { return std::poisson_distribution<Long>(mean)(random); };
  s.STD_Number = Standards.size();
  s.STD_Tubes = 2;
  s.Sample_Number = Samples;
  s.Sample_Tubes = 2;
  s.Dilution_Factor = 1;
  for (int j = 1; j <= 2; ++j) {
    s.STD_Count(STD_Row::NSB, j) = tube(Nsb);
    s.STD_Count(STD_Row::Total, j) = tube(Total);
    s.STD_Count(STD_Row::Zero, j) = tube(B0);
    for (std::size_t k = 1; k <= Standards.size(); ++k) {
      s.STD_Data(3 + k, STD_Column::Concentration) = Standards[k - 1];
      s.STD_Count(3 + k, j) = tube(expected_count(Standards[k - 1]));
    }
    for (int i = 1; i <= Samples; ++i) s.Sample_Count(i, j) = tube(expected_count(sample_concentration(i)));
  }
  Treatment_Standard(s);
  s.Fit_From = 1;
  s.Fit_To = static_cast<Integer>(Standards.size());
  Regression(s);
}

// A curve the results may use: the logit-log fit of a weighting and order, or a model and its
// weighting.
struct Curve_Case {
  int kind, weighting, order;
  std::string name() const {
    return kind == Logit_Log ? fit_label(weighting, order) : model_name(kind) + " " + model_weight_name(weighting);
  }
  // Its share must lie within the band.
  bool judged() const { return kind == Logit_Log ? weighting == 2 && order == 1 : weighting == 1; }
};

std::vector<Curve_Case> every_curve() {
  std::vector<Curve_Case> curves;
  for (int weighting = 0; weighting < Weight_Count; ++weighting)
    for (int order : {1, 3}) curves.push_back({Logit_Log, weighting, order});
  for (int kind : {Four_PL, Five_PL})
    for (int weighting = 0; weighting < Model_Weightings; ++weighting) curves.push_back({kind, weighting, 1});
  return curves;
}

// Intervals given and holding the true concentration, by thirds of the samples (low to high), then in all.
struct Tally {
  std::array<long, 4> given{}, held{};
  double share(int part) const { return double(held[part]) / given[part]; }
};

void tally_samples(Assay_State& s, const Curve_Case& c, Tally& tally) {
  s.Curve_Model = static_cast<Integer>(c.kind);
  s.Model_Weight = s.Weight_Type = static_cast<Integer>(c.weighting);
  s.Reg_Order = static_cast<Integer>(c.order);
  const Curve_Outcome outcome = make_curve_in_force(s);
  ASSERT_TRUE(outcome.curve) << outcome.refusal;
  ASSERT_TRUE(Assay_Samples(s, *outcome.curve));
  const Flag_Limits limits = flag_limits(s, &*outcome.curve);
  const Interval_Basis basis = interval_basis(s, *outcome.curve);
  ASSERT_EQ(basis.problem, "");
  // The table's intervals at once are those of its rows one by one.
  const auto table = table_intervals(s, basis, Result_Kind::Sample, limits);
  ASSERT_EQ(table.size(), Samples + 1u);
  for (int i = 1; i <= Samples; ++i) {
    const auto row = item_interval(s, basis, Result_Kind::Sample, i, item_flags(s, Result_Kind::Sample, i, limits));
    ASSERT_EQ(table[i].has_value(), row.has_value());
    if (!row) continue;
    ASSERT_TRUE(table[i]->lower == row->lower && table[i]->upper == row->upper);
    const bool held = row->lower <= sample_concentration(i) && sample_concentration(i) <= row->upper;
    for (const int part : {(i - 1) * 3 / Samples, 3}) tally.given[part] += 1, tally.held[part] += held;
  }
}

TEST(Interval_Coverage, NinetyFivePercentOfIntervalsHoldTheTrueConcentration) {
  std::mt19937 random(38);
  auto s = testing::new_state();
  const std::vector<Curve_Case> curves = every_curve();
  std::vector<Tally> tallies(curves.size());
  for (int assay = 0; assay < Assays; ++assay) {
    draw_assay(*s, random);
    for (std::size_t c = 0; c < curves.size(); ++c) {
      SCOPED_TRACE(curves[c].name());
      ASSERT_NO_FATAL_FAILURE(tally_samples(*s, curves[c], tallies[c]));
    }
  }
  std::printf("  share     low  middle    high  intervals  curve\n");
  for (std::size_t c = 0; c < curves.size(); ++c) {
    const Tally& t = tallies[c];
    std::printf("%6.2f%% %6.2f%% %6.2f%% %6.2f%% %10ld  %s\n", 100 * t.share(3), 100 * t.share(0), 100 * t.share(1),
                100 * t.share(2), t.given[3], curves[c].name().c_str());
    if (!curves[c].judged()) continue;
    SCOPED_TRACE(curves[c].name());
    EXPECT_GE(t.given[3], Assays * Samples * 9 / 10);  // flagged samples near the ends are few
    EXPECT_GE(t.share(3), Lowest_Share);
    EXPECT_LE(t.share(3), Highest_Share);
  }
}

}  // namespace
}  // namespace quorin
