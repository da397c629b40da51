// Thousands of random assays, ordinary and degenerate, through every computation, table, file and
// printout of the results. Nothing shown, written or printed may be NaN or infinite or come from
// an undefined B/B0 or a flat curve, no sample value exists without a dilution factor, and every
// fit the program calls available, logit-log, 4PL or 5PL, must be a weighted least-squares
// solution of its standards.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "curve/curve_fixture.h"
#include "engine/fitness.h"
#include "engine/regression.h"
#include "engine/samples.h"
#include "engine/treatment_standard.h"
#include "engine/weight_table.h"
#include "engine/logistic_fit.h"
#include "reliability/input_checks.h"
#include "results/result_file.h"
#include "results/result_prt.h"
#include "results/result_table.h"
#include "support/random_assay.h"
#include "support/reference_fit.h"
#include "ui/recording_printer.h"

namespace quorin {
namespace {

#ifdef NDEBUG
constexpr int Assays = 3000;
#else
constexpr int Assays = 300;  // the sanitizers' build runs some ten times slower
#endif
// The 4PL and 5PL read off as a solve run to the end of long double's arithmetic reads them, from
// 0.1 % to 99.9 % of the way between the asymptotes. A fit stopped by the rounding of its sum of
// squares is up to some 3e-6 off there; Newton's last steps leave some 2e-13.
constexpr double Model_Read_Off = 1e-9;

// No fit is available when B/B0 is undefined or every standard of the range has one B/B0 (a
// flat curve gives no concentration), and then the standard data show no B/B0 either.
void expect_no_fit_without_a_curve(const Assay_State& s, const std::string& where) {
  bool flat = true;
  for (int i = s.Fit_From; i <= s.Fit_To; ++i)
    flat = flat && s.STD_Data(3 + i, STD_Column::Percent) == s.STD_Data(3 + s.Fit_From, STD_Column::Percent);
  if (response_defined(s) && !flat) return;
  for (int fit = 0; fit < 8; ++fit) ASSERT_FALSE(s.Fit_Available(fit)) << where << ", fit " << fit;
  if (response_defined(s)) return;
  const Result_Index index(s, Result_Kind::Standard_Data);
  Row_Cells cells;
  for (Long r = 1; r <= index.rows(); ++r) {
    row_cells(s, Result_Kind::Standard_Data, index.row(r), cells);
    ASSERT_EQ(cells[6], "") << where << ": a B/B0 shown without B0 above the NSB";
  }
}

// The first text the results show, write or print for the current fit that is not a number.
std::string shown_non_number(const Assay_State& s) {
  std::vector<std::string> texts;
  for (const Result_Kind kind :
       {Result_Kind::Standard_Data, Result_Kind::Standard_Conc, Result_Kind::Sera, Result_Kind::Sample}) {
    texts.push_back(table_title(s, kind));
    const Result_Index index(s, kind);
    Row_Cells cells;
    for (Long r = 1; r <= index.rows(); ++r) {
      row_cells(s, kind, index.row(r), cells);
      texts.insert(texts.end(), cells.begin() + 1, cells.end());
    }
    if (kind == Result_Kind::Standard_Data) continue;
    ui::Recording_Printer printer;
    print_result_table(s, kind, printer);
    texts.insert(texts.end(), printer.ops().begin(), printer.ops().end());
  }
  text::Line_Writer file;
  write_result_sections(s, file);
  texts.push_back(file.bytes());
  for (const std::string& text : texts)
    if (testing::mentions_non_number(text)) return text;
  return "";
}

TEST(Random_Assays, NoNonNumberReachesAnyOutputAndEveryAvailableFitIsLeastSquares) {
  auto state = testing::new_state();
  Assay_State& s = *state;
  auto grids = std::make_unique<Weight_Grids>();
  std::mt19937 random(20261206);
  int fitted = 0;
  for (int assay = 0; assay < Assays; ++assay) {
    testing::fill_random_assay(s, random);
    Treatment_Standard(s);
    for (int from = 1; from <= s.STD_Number; ++from) {
      for (int to = from; to <= s.STD_Number; ++to) {
        const std::string where =
            "assay " + std::to_string(assay) + ", standards " + std::to_string(from) + ".." + std::to_string(to);
        s.Fit_From = static_cast<Integer>(from);
        s.Fit_To = static_cast<Integer>(to);
        Regression(s);
        ASSERT_EQ(testing::first_non_finite(s), "") << where;
        expect_no_fit_without_a_curve(s, where);
        ASSERT_EQ(testing::least_squares_shortfall(s), "") << where;
      }
    }
    // The results come from the whole range, as the curve screen starts.
    const std::string where = "assay " + std::to_string(assay);
    s.Fit_From = 1;
    s.Fit_To = s.STD_Number;
    Regression(s);
    const Model_Fits models = fit_models(s, assay % Model_Weightings);
    for (const int kind : {Four_PL, Five_PL})
      ASSERT_EQ(testing::model_fit_shortfall(models.points.points, models.of(kind), Model_Read_Off), "") << where;
    Weight_Table(s, *grids);
    for (std::size_t r = 0; r <= 101; ++r)
      for (std::size_t c = 0; c <= 8; ++c)
        ASSERT_FALSE(testing::mentions_non_number(grids->ed(r, c)) ||
                     (r <= 3 && testing::mentions_non_number(grids->detection(r, c))))
            << where;
    for (int weighting = 0; weighting < 4; ++weighting) {
      for (const int order : {1, 3}) {
        s.Weight_Type = static_cast<Integer>(weighting);
        s.Reg_Order = static_cast<Integer>(order);
        const bool available = s.Fit_Available(weighting + (order == 1 ? 0 : 4));
        const Curve_Outcome curve = make_curve_in_force(s);
        ASSERT_EQ(curve.curve.has_value(), available) << where;
        if (!available) continue;
        Fitness_Examination(s, *curve.curve);
        Control_Sera(s, *curve.curve);
        const bool samples_valued = s.Sample_Number == 0 || dilution_factor_valid(s);
        ASSERT_EQ(Assay_Samples(s, *curve.curve), samples_valued) << where;
        ++fitted;
        const std::string fit = where + ", weighting " + std::to_string(weighting) + " order " + std::to_string(order);
        ASSERT_EQ(testing::first_non_finite(s), "") << fit;
        if (!samples_valued) continue;
        for (Long p = 1; p <= s.Sample_Number; ++p)
          for (int j = 0; j <= Max_Tubes; ++j)
            ASSERT_TRUE(std::isfinite(s.Sample_Conc(p, j)) && (j > 5 || std::isfinite(s.Sample_Data(p, j))))
                << fit << ", sample " << p;
        ASSERT_EQ(shown_non_number(s), "") << fit;
      }
    }
  }
  // The random assays must mostly be usable, or the test checks little.
  EXPECT_GT(fitted, Assays * 2) << "available fits over all assays";
}

}  // namespace
}  // namespace quorin
