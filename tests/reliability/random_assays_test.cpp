// Thousands of random assays, ordinary and degenerate (NSB at or above B0, every standard at or
// above B0, equal concentrations, zero, negative and single counts, a zero or negative
// concentration, standards without tubes, no dilution factor), through every computation, table,
// file and printout of the results. Nothing shown, written or printed may be NaN or infinite or
// come from an undefined B/B0 or a flat curve, no sample value exists without a dilution factor,
// and every fit the program calls available must be a weighted least-squares solution of its
// standards.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "curve/curve_fixture.h"
#include "curve/fitness.h"
#include "curve/regression.h"
#include "curve/samples.h"
#include "curve/treatment_standard.h"
#include "curve/weight_table.h"
#include "reliability/input_checks.h"
#include "results/result_file.h"
#include "results/result_prt.h"
#include "results/result_table.h"
#include "ui/recording_printer.h"

namespace quorin {
namespace {

#ifdef NDEBUG
constexpr int kAssays = 3000;
#else
constexpr int kAssays = 300;  // the sanitizers' build runs some ten times slower
#endif
constexpr int kMost_Samples = 12;

// The program's curve may beat the independent solve (it is more accurate), never lose to it by
// more than this relative share of the weighted sum of squares: a cubic in ln(concentration)
// with weights a million apart, solved by rotations in long double, keeps some 1e-12 of it.
constexpr long double kFit_Slack = 1e-8L;
// Weights further apart than this come from a distance factor of rounding noise.
constexpr double kRounding_Noise_Weight = 1e6;

// Clears what one assay of at most kMost_Samples samples may have written.
void reset(Assay_State& s) {
  s.STD_Count.fill(0);
  s.Sera_Count.fill(0);
  s.STD_Tube_N.fill(0);
  s.STD_Data.fill(0);
  s.STD_Conc.fill(0);
  s.Sera_Tube_N.fill(0);
  s.Sera_Conc.fill(0);
  s.Sera_Data.fill(0);
  for (Long i = 0; i <= kMost_Samples; ++i) {
    s.Sample_Tube_N(i) = 0;
    for (int j = 0; j <= Max_Tubes; ++j) {
      s.Sample_Count(i, j) = 0;
      s.Sample_Conc(i, j) = 0;
      if (j <= 5) s.Sample_Data(i, j) = 0;
    }
  }
  s.Fit_Available.fill(false);
}

// A count: mostly a competitive response with scatter, sometimes 0, negative or huge.
Long random_count(std::mt19937& random, double expected) {
  std::uniform_int_distribution<int> kind(0, 39);
  switch (kind(random)) {
    case 0: return 0;
    case 1: return -static_cast<Long>(std::uniform_int_distribution<int>(1, 500)(random));
    case 2: return 2000000000;
    default: return static_cast<Long>(expected * std::uniform_real_distribution<double>(0.85, 1.15)(random));
  }
}

void fill_random_assay(Assay_State& s, std::mt19937& random) {
  std::uniform_real_distribution<double> unit(0, 1);
  auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  s.STD_Number = static_cast<Integer>(pick(1, 8));
  s.STD_Tubes = static_cast<Integer>(pick(1, 4));
  s.Sera_Number = static_cast<Integer>(pick(0, 3));
  s.Sera_Tubes = static_cast<Integer>(pick(1, 3));
  s.Sample_Number = pick(0, kMost_Samples);
  s.Sample_Tubes = static_cast<Integer>(pick(1, 4));
  s.Dilution_Factor = pick(0, 4) == 0 ? 0 : 10 * unit(random);

  double nsb = 100 + 900 * unit(random), b0 = 3000 + 20000 * unit(random);
  if (pick(0, 9) == 0) std::swap(nsb, b0);  // NSB at or above B0
  if (pick(0, 19) == 0) nsb = b0;
  const double ed50 = std::exp(4 * unit(random) - 2), hill = 0.5 + unit(random);
  auto response = [&](double c) { return nsb + (b0 - nsb) / (1 + std::pow(c / ed50, hill)); };

  const bool all_at_or_above_b0 = pick(0, 14) == 0;
  const int tubes = s.STD_Tubes;
  for (int j = 1; j <= tubes; ++j) {
    s.STD_Count(1, j) = random_count(random, nsb);
    s.STD_Count(2, j) = random_count(random, 30000);
    s.STD_Count(3, j) = random_count(random, b0);
  }
  double c = std::exp(3 * unit(random) - 3);
  for (int k = 1; k <= s.STD_Number; ++k) {
    if (pick(0, 5) != 0) c *= 1.5 + 3 * unit(random);  // otherwise equal to the one before
    s.STD_Data(3 + k, 0) = pick(0, 40) == 0 ? -unit(random) : c;
    const int measured = pick(0, 8) == 0 ? 1 : tubes;  // single tubes
    for (int j = 1; j <= measured; ++j)
      s.STD_Count(3 + k, j) = random_count(random, all_at_or_above_b0 ? std::max(nsb, b0) * 1.2 : response(c));
  }
  for (int m = 1; m <= s.Sera_Number; ++m)
    for (int j = 1; j <= s.Sera_Tubes; ++j) s.Sera_Count(m, j) = random_count(random, response(c * unit(random)));
  for (Long p = 1; p <= s.Sample_Number; ++p)
    for (int j = 1; j <= s.Sample_Tubes; ++j)
      s.Sample_Count(p, j) = random_count(random, response(2 * c * unit(random)));
}

// ---------------------------------------------------------------------------------------------
// An independent weighted least-squares solve: Givens rotations of the rows sqrt(w)·(1, x, x², x³ | y)
// in long double, then back substitution.

struct Point {
  double x, y, w;
};

long double weighted_ss(const std::vector<Point>& points, const std::array<long double, 4>& c, int degree) {
  long double ss = 0;
  for (const Point& p : points) {
    long double fitted = 0;
    for (int k = degree; k >= 0; --k) fitted = fitted * p.x + c[static_cast<std::size_t>(k)];
    ss += p.w * (p.y - fitted) * (p.y - fitted);
  }
  return ss;
}

// Coefficients c0..c_degree, or nothing when the design has not full rank.
std::optional<std::array<long double, 4>> givens_fit(const std::vector<Point>& points, int degree) {
  const int m = degree + 1;
  long double r[4][5] = {};  // the triangle and the rotated right-hand side
  for (const Point& p : points) {
    long double row[5] = {};
    const long double root = std::sqrt(static_cast<long double>(p.w));
    long double power = 1;
    for (int k = 0; k < m; ++k, power *= p.x) row[k] = root * power;
    row[m] = root * p.y;
    for (int k = 0; k < m; ++k) {
      if (row[k] == 0) continue;
      const long double h = std::hypot(r[k][k], row[k]), c = r[k][k] / h, sn = row[k] / h;
      for (int j = k; j <= m; ++j) {
        const long double top = r[k][j], bottom = row[j];
        r[k][j] = c * top + sn * bottom;
        row[j] = -sn * top + c * bottom;
      }
    }
  }
  long double largest = 0;
  for (int k = 0; k < m; ++k) largest = std::max(largest, std::fabs(r[k][k]));
  std::array<long double, 4> c{};
  for (int k = m - 1; k >= 0; --k) {
    if (std::fabs(r[k][k]) <= 1e-15L * largest) return std::nullopt;
    long double sum = r[k][m];
    for (int j = k + 1; j < m; ++j) sum -= r[k][j] * c[static_cast<std::size_t>(j)];
    c[static_cast<std::size_t>(k)] = sum / r[k][k];
  }
  return c;
}

double logit_of(double percent) { return std::log(percent / (100 - percent)); }

// The weights of the four weightings as the program defines them, worked here: 1; the distance
// factor (tubes − 1) / Σ(y_j − cubic)² / 100 from the unweighted cubic, 0 for a single tube; the
// logit correction (P (100 − P))² / 1e8; and their product.
std::array<std::vector<double>, 4> weights_of(const Assay_State& s) {
  std::array<std::vector<double>, 4> w;
  const double nsb = s.STD_Data(1, 1), b0 = s.STD_Data(3, 1);
  for (int i = s.Fit_From; i <= s.Fit_To; ++i) {
    const double x = std::log(s.STD_Data(3 + i, 0));
    const double cubic = s.Reg_Coef(0, 1) + x * (s.Reg_Coef(0, 2) + x * (s.Reg_Coef(0, 3) + x * s.Reg_Coef(0, 4)));
    const int tubes = s.STD_Tube_N(3 + i);
    double ss = 0;
    for (int j = 1; j <= tubes; ++j) {
      double percent = b0 == nsb ? 0 : (s.STD_Count(3 + i, j) - nsb) / (b0 - nsb) * 100;
      percent = percent >= 100 ? 99.5 : percent <= 0 ? 0.5 : percent;
      ss += std::pow(logit_of(percent) - cubic, 2);
    }
    const double distance = tubes <= 1 ? 0 : (tubes - 1) / ss / 100;
    const double p = s.STD_Data(3 + i, 3);
    const double correction = std::pow(p * (100 - p), 2) / 1e8;
    w[0].push_back(1);
    w[1].push_back(distance);
    w[2].push_back(correction);
    w[3].push_back(distance * correction);
  }
  return w;
}

// Every available fit reaches the least weighted sum of squares of the independent solve.
void expect_available_fits_are_least_squares(const Assay_State& s, const std::string& where) {
  const std::array<std::vector<double>, 4> weights = weights_of(s);
  for (int weighting = 0; weighting < 4; ++weighting) {
    std::vector<Point> points;
    double lightest = HUGE_VAL, heaviest = 0;
    for (int i = s.Fit_From; i <= s.Fit_To; ++i) {
      const double w = weights[static_cast<std::size_t>(weighting)][static_cast<std::size_t>(i - s.Fit_From)];
      if (!(w > 0)) continue;
      points.push_back({std::log(s.STD_Data(3 + i, 0)), s.STD_Data(3 + i, 8), w});
      lightest = std::min(lightest, w);
      heaviest = std::max(heaviest, w);
    }
    // Identical tubes on an unweighted cubic that passes through their mean: the distance factor
    // is the inverse of rounding noise (1e20 and more), different in the last bit of any other
    // solve, so there is no second opinion to compare with.
    if (!std::isfinite(heaviest) || heaviest > kRounding_Noise_Weight * lightest) continue;
    for (const int degree : {1, 3}) {
      if (!s.Fit_Available(weighting + (degree == 1 ? 0 : 4))) continue;
      const std::string fit = where + ", weighting " + std::to_string(weighting) + " degree " + std::to_string(degree);
      std::array<long double, 4> program{};
      if (degree == 1) {
        program = {s.Reg_Coef(weighting, 6), s.Reg_Coef(weighting, 5), 0, 0};
      } else {
        for (int k = 0; k < 4; ++k) program[static_cast<std::size_t>(k)] = s.Reg_Coef(weighting, 1 + k);
      }
      const auto independent = givens_fit(points, degree);
      if (!independent) {
        std::string listing;
        for (const Point& p : points)
          listing += " (" + std::to_string(p.x) + ", " + std::to_string(p.y) + ", " + std::to_string(p.w) + ")";
        ADD_FAILURE() << fit << ": available, but its normal equations are singular:" << listing;
        continue;
      }
      long double total = 0;
      for (const Point& p : points) total += p.w * p.y * p.y;
      const long double best = weighted_ss(points, *independent, degree);
      EXPECT_LE(weighted_ss(points, program, degree), best + kFit_Slack * (best + total)) << fit;
    }
  }
}

// No fit is available when B/B0 is undefined or every standard of the range has one B/B0 (a
// flat curve gives no concentration), and then the standard data show no B/B0 either.
void expect_no_fit_without_a_curve(const Assay_State& s, const std::string& where) {
  bool flat = true;
  for (int i = s.Fit_From; i <= s.Fit_To; ++i) flat = flat && s.STD_Data(3 + i, 3) == s.STD_Data(3 + s.Fit_From, 3);
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

std::string first_shown_non_number(const std::vector<std::string>& texts, const char* where) {
  for (const std::string& text : texts)
    if (testing::mentions_non_number(text)) return std::string(where) + ": " + text;
  return "";
}

// Every text the results show, write and print for the current fit.
std::vector<std::string> result_texts(const Assay_State& s) {
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
    if (kind != Result_Kind::Standard_Data) {
      ui::Recording_Printer printer;
      print_result_table(s, kind, printer);
      texts.insert(texts.end(), printer.ops().begin(), printer.ops().end());
    }
  }
  text::Line_Writer file;
  write_result_sections(s, file);
  texts.push_back(file.bytes());
  return texts;
}

TEST(Random_Assays, NoNonNumberReachesAnyOutputAndEveryAvailableFitIsLeastSquares) {
  auto state = testing::new_state();
  Assay_State& s = *state;
  auto grids = std::make_unique<Weight_Grids>();
  std::mt19937 random(20261206);
  int fitted = 0;
  for (int assay = 0; assay < kAssays; ++assay) {
    reset(s);
    fill_random_assay(s, random);
    const std::string where = "assay " + std::to_string(assay);
    Treatment_Standard(s);

    for (int from = 1; from <= s.STD_Number; ++from) {
      for (int to = from; to <= s.STD_Number; ++to) {
        s.Fit_From = static_cast<Integer>(from);
        s.Fit_To = static_cast<Integer>(to);
        Regression(s);
        ASSERT_EQ(testing::first_non_finite(s), "") << where << ", standards " << from << ".." << to;
        expect_no_fit_without_a_curve(s, where + ", standards " + std::to_string(from) + ".." + std::to_string(to));
        expect_available_fits_are_least_squares(
            s, where + ", standards " + std::to_string(from) + ".." + std::to_string(to));
      }
    }
    // The results come from the whole range, as the curve screen starts.
    s.Fit_From = 1;
    s.Fit_To = s.STD_Number;
    Regression(s);
    Weight_Table(s, *grids);
    for (std::size_t r = 0; r <= 101; ++r)
      for (std::size_t c = 0; c <= 8; ++c)
        ASSERT_FALSE(testing::mentions_non_number(grids->ed(r, c))) << where << " ED grid";
    for (std::size_t r = 0; r <= 3; ++r)
      for (std::size_t c = 0; c <= 8; ++c) ASSERT_FALSE(testing::mentions_non_number(grids->detection(r, c))) << where;

    for (int weighting = 0; weighting < 4; ++weighting) {
      for (const int order : {1, 3}) {
        s.Weight_Type = static_cast<Integer>(weighting);
        s.Reg_Order = static_cast<Integer>(order);
        const bool available = s.Fit_Available(weighting + (order == 1 ? 0 : 4));
        ASSERT_EQ(Fitness_Examination(s), available) << where;
        ASSERT_EQ(Control_Sera(s), available) << where;
        const bool samples_valued = s.Sample_Number == 0 || dilution_factor_valid(s);
        ASSERT_EQ(Assay_Samples(s), available && samples_valued) << where;
        if (!available) continue;
        ++fitted;
        const std::string fit = where + ", weighting " + std::to_string(weighting) + " order " + std::to_string(order);
        ASSERT_EQ(testing::first_non_finite(s), "") << fit;
        if (!samples_valued) continue;
        for (Long p = 1; p <= s.Sample_Number; ++p) {
          for (int j = 0; j <= 5; ++j) ASSERT_TRUE(std::isfinite(s.Sample_Data(p, j))) << fit << ", sample " << p;
          for (int j = 0; j <= Max_Tubes; ++j)
            ASSERT_TRUE(std::isfinite(s.Sample_Conc(p, j))) << fit << ", sample " << p;
        }
        ASSERT_EQ(first_shown_non_number(result_texts(s), "results"), "") << fit;
      }
    }
  }
  // The random assays must mostly be usable, or the test checks little.
  EXPECT_GT(fitted, kAssays * 2) << "available fits over all assays";
}

}  // namespace
}  // namespace quorin
