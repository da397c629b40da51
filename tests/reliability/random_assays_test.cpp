// Thousands of random assays, ordinary and degenerate, through every computation, table, file and
// printout of the results. Nothing shown, written or printed may be NaN or infinite or come from
// an undefined B/B0 or a flat curve, no 95 % interval is anything but two bounds 0 <= lower <=
// upper or stands beside a flagged value, no sample value exists without a dilution factor, and every
// fit the program calls available, logit-log, 4PL or 5PL, must be a weighted least-squares
// solution of its standards.
//
// And every input kept for the fuzz targets, the seeds of fuzz/corpus/<target>/ and the inputs of
// faults found and fixed in fuzz/regressions/<target>/, replayed through the same checks with
// the program as it is built for use. Every fuzz target has a check of its name, so that its
// inputs are replayed here too.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "curve/curve_fixture.h"
#include "engine/concentration_interval.h"
#include "engine/fitness.h"
#include "engine/logistic_fit.h"
#include "engine/regression.h"
#include "engine/samples.h"
#include "engine/treatment_standard.h"
#include "engine/weight_table.h"
#include "reliability/input_checks.h"
#include "results/result_file.h"
#include "results/result_prt.h"
#include "results/result_table.h"
#include "support/test_support.h"
#include "ui/recording_printer.h"

namespace quorin {
namespace {

namespace fs = std::filesystem;
using testing::figures;

// Random assays: mostly competitive curves with replicate scatter, and sometimes what a
// laboratory also meets (NSB at or above B0, every standard at or above B0, equal concentrations,
// zero, negative, huge and single counts, a negative concentration, no dilution factor).
constexpr Long Most_Random_Samples = 12;

// A count: mostly the expected one with scatter, sometimes 0, negative or huge.
Long random_count(std::mt19937& random, double expected) {
  switch (std::uniform_int_distribution<int>(0, 39)(random)) {
    case 0: return 0;
    case 1: return -static_cast<Long>(std::uniform_int_distribution<int>(1, 500)(random));
    case 2: return 2000000000;
    default: return static_cast<Long>(expected * std::uniform_real_distribution<double>(0.85, 1.15)(random));
  }
}

// Clears what a random assay may have written, then fills `s` with a new one (counts and
// concentrations, untreated).
void fill_random_assay(Assay_State& s, std::mt19937& random) {
  const auto zero = [](auto&... tables) { (tables.fill(0), ...); };
  zero(s.STD_Count, s.Sera_Count, s.STD_Tube_N, s.STD_Data, s.STD_Conc, s.Sera_Tube_N, s.Sera_Conc, s.Sera_Data,
       s.Fit_Available);
  constexpr std::size_t rows = Most_Random_Samples + 1;  // of the samples' tables, the first ones
  const auto zero_rows = [](auto&... tables) { (std::fill_n(tables.row(0), rows * tables.columns, 0), ...); };
  zero_rows(s.Sample_Count, s.Sample_Conc, s.Sample_Data);
  std::fill_n(&s.Sample_Tube_N(0), rows, 0);
  std::uniform_real_distribution<double> unit(0, 1);
  auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  s.STD_Number = static_cast<Integer>(pick(1, 8));
  s.STD_Tubes = static_cast<Integer>(pick(1, 4));
  s.Sera_Number = static_cast<Integer>(pick(0, 3));
  s.Sera_Tubes = static_cast<Integer>(pick(1, 3));
  s.Sample_Number = pick(0, Most_Random_Samples);
  s.Sample_Tubes = static_cast<Integer>(pick(1, 4));
  s.Dilution_Factor = pick(0, 4) == 0 ? 0 : 10 * unit(random);

  double nsb = 100 + 900 * unit(random), b0 = 3000 + 20000 * unit(random);
  if (pick(0, 9) == 0) std::swap(nsb, b0);
  if (pick(0, 19) == 0) nsb = b0;
  const double ed50 = std::exp(4 * unit(random) - 2), hill = 0.5 + unit(random);
  auto response = [&](double c) { return nsb + (b0 - nsb) / (1 + std::pow(c / ed50, hill)); };

  const bool all_at_or_above_b0 = pick(0, 14) == 0;
  for (int j = 1; j <= s.STD_Tubes; ++j)
    for (const int row : {1, 2, 3}) s.STD_Count(row, j) = random_count(random, row == 1 ? nsb : row == 2 ? 30000 : b0);
  double c = std::exp(3 * unit(random) - 3);
  for (int k = 1; k <= s.STD_Number; ++k) {
    if (pick(0, 5) != 0) c *= 1.5 + 3 * unit(random);  // otherwise equal to the one before
    s.STD_Data(3 + k, STD_Column::Concentration) = pick(0, 40) == 0 ? -unit(random) : c;
    const int measured = pick(0, 8) == 0 ? 1 : s.STD_Tubes;
    for (int j = 1; j <= measured; ++j)
      s.STD_Count(3 + k, j) = random_count(random, all_at_or_above_b0 ? std::max(nsb, b0) * 1.2 : response(c));
  }
  for (int m = 1; m <= s.Sera_Number; ++m)
    for (int j = 1; j <= s.Sera_Tubes; ++j) s.Sera_Count(m, j) = random_count(random, response(c * unit(random)));
  for (Long p = 1; p <= s.Sample_Number; ++p)
    for (int j = 1; j <= s.Sample_Tubes; ++j)
      s.Sample_Count(p, j) = random_count(random, response(2 * c * unit(random)));
}

// The curve's fits checked against a weighted least-squares solve written independently of the
// program: Givens rotations of the rows sqrt(w)·(1, x, x², x³, 0 | y) in long double, then back
// substitution. The standards Fit_From..Fit_To are the points (ln concentration, logit) under
// each of the four weightings, the weights worked out here: 1; the distance factor (tubes − 1) /
// Σ(y_j − cubic)² / 100 about the unweighted cubic in Reg_Coef(0, 1..4), 0 for a single tube;
// the logit correction (P (100 − P))² / 1e8; and their product. Points of weight 0 are left out.
// Up to 5 coefficients or parameters, or a row of them with its right-hand side last.
using Values = std::array<long double, 6>;

// The first m values of least sum of squares of the rows, by Givens rotations and back
// substitution; nothing when a pivot is at most `singular` of the largest.
std::optional<Values> least_squares(std::vector<Values> rows, int m, long double singular) {
  Values r[5] = {};  // the triangle and the rotated right-hand side
  for (Values& row : rows) {
    for (int k = 0; k < m; ++k) {
      if (row[k] == 0) continue;
      const long double h = std::hypot(r[k][k], row[k]), c = r[k][k] / h, sn = row[k] / h;
      for (int j = k; j < 6; ++j) {
        const long double top = r[k][j], bottom = row[j];
        r[k][j] = c * top + sn * bottom;
        row[j] = -sn * top + c * bottom;
      }
    }
  }
  long double largest = 0;
  for (int k = 0; k < m; ++k) largest = std::max(largest, std::fabs(r[k][k]));
  Values x{};
  for (int k = m - 1; k >= 0; --k) {
    if (std::fabs(r[k][k]) <= singular * largest) return std::nullopt;
    long double sum = r[k][5];
    for (int j = k + 1; j < m; ++j) sum -= r[k][j] * x[j];
    x[k] = sum / r[k][k];
  }
  return x;
}

// The weighted sum of squares about the polynomial c0..c3 of the rows sqrt(w)·(1, x, x², x³, 0 | y).
long double weighted_ss(const std::vector<Values>& rows, const Values& c) {
  long double ss = 0;
  for (const Values& r : rows) ss += std::pow(r[5] - (r[0] * c[0] + r[1] * c[1] + r[2] * c[2] + r[3] * c[3]), 2);
  return ss;
}

// The model's parameters A, B, C, D, G (G stays 1 for the 4PL).
using Model = Values;

// f(x) and its derivatives in A, B, C, D, G.
long double model_value(const Model& q, long double x, long double* d) {
  if (x == 0) {
    if (d != nullptr) std::fill(d, d + 5, 0.0L), d[0] = 1;
    return q[0];
  }
  const long double z = std::pow(x / q[2], q[1]), u = 1 + z, s = std::pow(u, -q[4]);
  if (d != nullptr) {
    const long double slope = -(q[0] - q[3]) * q[4] * s / u * z;  // d f / d ln z
    d[0] = s;
    d[1] = slope * std::log(x / q[2]);
    d[2] = -slope * q[1] / q[2];
    d[3] = 1 - s;
    d[4] = -(q[0] - q[3]) * s * std::log(u);
  }
  return q[3] + (q[0] - q[3]) * s;
}

// The gradient of the weighted sum of squares in the first k parameters (halved: sum w r df).
Model gradient(const std::vector<Model_Point>& points, const Model& q, int k) {
  Model g{};
  for (const Model_Point& p : points) {
    long double d[5];
    const long double r = model_value(q, p.x, d) - p.p;
    for (int j = 0; j < k; ++j) g[j] += p.w * r * d[j];
  }
  return g;
}

// The stationary point of the sum nearest the program's parameters, by Newton steps -H^-1 g in
// long double (the Hessian from central differences of the gradient) until a step is below 1e-17
// relative or stops shrinking below 1e-13 (its rounding); nothing when the Hessian is singular or
// the steps stop shrinking before (a curve the points do not determine, which no solve can check).
std::optional<Model> polished(const std::vector<Model_Point>& points, const Logistic& curve) {
  Model q = {curve.A, curve.B, curve.C, curve.D, curve.G};
  const int k = curve.parameters();
  long double previous = HUGE_VALL;
  for (int iteration = 0; iteration < 30; ++iteration) {
    std::vector<Values> h(k);
    for (int j = 0; j < k; ++j) {
      const long double step = 1e-8L * std::max(1.0L, std::fabs(q[j]));
      Model up = q, down = q;
      up[j] += step, down[j] -= step;
      const Model gu = gradient(points, up, k), gd = gradient(points, down, k);
      for (int i = 0; i < k; ++i) h[i][j] = (gu[i] - gd[i]) / (2 * step);
    }
    const Model g = gradient(points, q, k);
    for (int i = 0; i < k; ++i) h[i][5] = -g[i];
    const auto step = least_squares(h, k, 0);
    if (!step) return std::nullopt;
    long double size = 0;
    for (int j = 0; j < k; ++j) {
      size = std::max(size, std::fabs((*step)[j]) / std::max(1.0L, std::fabs(q[j])));
      q[j] += (*step)[j];
    }
    if (size < 1e-17L) return q;
    if (!(size < previous / 2)) return size < 1e-13L ? std::optional(q) : std::nullopt;  // at its rounding
    previous = size;
  }
  return std::nullopt;
}

// What is wrong with a 4PL or 5PL fit the program calls available, "" when nothing. A second
// solve, written here from the model's definition in the parameters A, B, C, D, G themselves,
// takes the program's parameters to where the gradient of the weighted sum of squares vanishes
// (Newton steps in long double). The concentrations read off the program's curve at the responses
// of a tenth of the lowest standard, the lowest, their geometric mean, the highest and ten times
// the highest must agree with those of that curve to `relative`, where the response lies from
// 0.1 % to 99.9 % of the way from D to A. A fit with a standard error above its parameter, or
// where the Newton steps do not converge, is one its points do not determine: nothing is checked.
std::string model_fit_shortfall(const std::vector<Model_Point>& points, const Logistic_Fit& fit, double relative) {
  const auto values = fit.curve.values();
  for (int i = 0; i < fit.curve.parameters(); ++i)
    if (!fit.available || !(fit.error[i] < std::fabs(values[i]))) return "";  // a curve its points do not determine
  const std::optional<Model> best_fit = polished(points, fit.curve);
  if (!best_fit) return "";
  const Model& q = *best_fit;
  double lowest = HUGE_VAL, highest = 0;
  for (const Model_Point& p : points)
    if (p.x > 0) lowest = std::min(lowest, p.x), highest = std::max(highest, p.x);
  for (const double best : {lowest / 10, lowest, std::sqrt(lowest * highest), highest, highest * 10}) {
    const long double p = model_value(q, best, nullptr);
    const std::optional<double> read = fit.curve.concentration(static_cast<double>(p));
    const long double t = (p - q[3]) / (q[0] - q[3]);
    if (!(t > 1e-3L && t < 1 - 1e-3L)) continue;  // nearer an asymptote the reading magnifies any rounding
    const long double off = read ? std::fabs(*read - best) / best : HUGE_VALL;
    if (!(off <= relative))
      return model_name(fit.curve.kind) + " at " + figures(double(t), 3) + " of the way from D to A: read " +
             (read ? figures(*read, 15) : std::string("nothing")) + ", least squares " + figures(double(best), 15) +
             " (" + figures(double(off), 3) + " relative)";
  }
  return "";
}

// What is wrong with the fits the program calls available, "" when nothing: each must reach the
// least weighted sum of squares of the independent solve (it may beat it, being more accurate,
// but not lose by more than 1e-8 of the sums), and none may be available where the points cannot
// determine it.
std::string least_squares_shortfall(const Assay_State& s) {
  // A cubic in ln(concentration) with weights a million apart, solved by rotations in long double,
  // keeps some 1e-12 of the sums; weights further apart come from a distance factor of rounding
  // noise (identical tubes on a cubic through their mean), which no second solve reproduces.
  constexpr long double Fit_Slack = 1e-8L;
  constexpr long double Rounding_Noise_Weight = 1e6;
  // The standards' rows under each weighting, the weights worked out as said above.
  std::array<std::vector<Values>, 4> rows;
  const double nsb = s.STD_Data(STD_Row::NSB, STD_Column::Mean_Count),
               b0 = s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count);
  for (int i = s.Fit_From; i <= s.Fit_To; ++i) {
    const double x = std::log(s.STD_Data(3 + i, STD_Column::Concentration)), y = s.STD_Data(3 + i, STD_Column::Logit);
    const double cubic = s.Reg_Coef(0, 1) + x * (s.Reg_Coef(0, 2) + x * (s.Reg_Coef(0, 3) + x * s.Reg_Coef(0, 4)));
    const int tubes = s.STD_Tube_N(3 + i);
    double ss = 0;
    for (int j = 1; j <= tubes; ++j) {
      double percent = b0 == nsb ? 0 : (s.STD_Count(3 + i, j) - nsb) / (b0 - nsb) * 100;
      percent = percent >= 100 ? 99.5 : percent <= 0 ? 0.5 : percent;
      ss += std::pow(std::log(percent / (100 - percent)) - cubic, 2);
    }
    const double distance = tubes <= 1 ? 0 : (tubes - 1) / ss / 100;
    const double p = s.STD_Data(3 + i, STD_Column::Percent);
    const double correction = std::pow(p * (100 - p), 2) / 1e8;
    const double weights[] = {1, distance, correction, distance * correction};
    for (int w = 0; w < 4; ++w)
      if (const long double root = std::sqrt(static_cast<long double>(weights[w])); weights[w] > 0)
        rows[w].push_back({root, root * x, root * x * x, root * x * x * x, 0, root * y});
  }
  for (int weighting = 0; weighting < 4; ++weighting) {
    const std::vector<Values>& weighted = rows[weighting];
    long double lightest = HUGE_VALL, heaviest = 0, total = 0;
    for (const Values& r : weighted) {
      lightest = std::min(lightest, r[0] * r[0]);
      heaviest = std::max(heaviest, r[0] * r[0]);
      total += r[5] * r[5];
    }
    if (!std::isfinite(heaviest) || heaviest > Rounding_Noise_Weight * lightest) continue;
    for (const int degree : {1, 3}) {
      if (!s.Fit_Available(weighting + (degree == 1 ? 0 : 4))) continue;
      const std::string fit = "weighting " + std::to_string(weighting) + " degree " + std::to_string(degree);
      Values program{};
      for (int k = 0; k <= degree; ++k) program[k] = s.Reg_Coef(weighting, degree == 1 ? 6 - k : 1 + k);
      const auto independent = least_squares(weighted, degree + 1, 1e-15L);
      if (!independent) return fit + ": available, but its normal equations are singular";
      const long double best = weighted_ss(weighted, *independent), found = weighted_ss(weighted, program);
      if (!(found <= best + Fit_Slack * (best + total)))
        return fit + ": sum of squares " + std::to_string(double(found)) + ", least " + std::to_string(double(best));
    }
  }
  return "";
}

#ifdef NDEBUG
constexpr int Assays = 3000;
#else
constexpr int Assays = 300;  // the sanitizers' build runs some ten times slower
#endif
// The 4PL and 5PL read off as a solve run to the end of long double's arithmetic reads them, from
// 0.1 % to 99.9 % of the way between the asymptotes. A fit stopped by the rounding of its sum of
// squares is up to some 3e-6 off there; Newton's last steps leave some 2e-13.
constexpr double Model_Read_Off = 1e-9;

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
  const auto found = std::ranges::find_if(texts, testing::mentions_non_number);
  return found == texts.end() ? "" : *found;
}

// The first 95 % interval of the results read off `curve` that is not two finite bounds
// 0 <= lower <= upper, or that is given to an item flagged ">", "<" or "×"; "" when there is none.
std::string interval_shortfall(const Assay_State& s, const Curve_In_Force& curve) {
  const Interval_Basis basis = interval_basis(s, curve);
  const Flag_Limits limits = flag_limits(s, &curve);
  for (const Result_Kind kind : {Result_Kind::Standard_Conc, Result_Kind::Sera, Result_Kind::Sample}) {
    for (Long i = 1; i <= item_count(s, kind); ++i) {
      const unsigned flags = item_flags(s, kind, i, limits);
      const auto interval = item_interval(s, basis, kind, i, flags);
      if (interval && ((flags & (Flag::Above | Flag::Below | Flag::No_Tube)) != 0 || !(0 <= interval->lower) ||
                       !(interval->lower <= interval->upper) || !std::isfinite(interval->upper)))
        return table_title(s, kind) + " " + std::to_string(i) + " flags \"" + flags_text(flags) +
               "\": " + figures(interval->lower, 6) + " .. " + figures(interval->upper, 6);
    }
  }
  return "";
}

TEST(Random_Assays, NoNonNumberReachesAnyOutputAndEveryAvailableFitIsLeastSquares) {
  auto state = testing::new_state();
  Assay_State& s = *state;
  auto grids = std::make_unique<Weight_Grids>();
  std::mt19937 random(20261206);
  int fitted = 0;
  for (int assay = 0; assay < Assays; ++assay) {
    fill_random_assay(s, random);
    Treatment_Standard(s);
    for (int from = 1; from <= s.STD_Number; ++from) {
      for (int to = from; to <= s.STD_Number; ++to) {
        s.Fit_From = static_cast<Integer>(from);
        s.Fit_To = static_cast<Integer>(to);
        Regression(s);
        ASSERT_EQ(testing::first_non_finite(s) + least_squares_shortfall(s), "")
            << "assay " << assay << ", standards " << from << ".." << to;
      }
    }
    // The results come from the whole range, as the curve screen starts.
    const std::string where = "assay " + std::to_string(assay);
    s.Fit_From = 1;
    s.Fit_To = s.STD_Number;
    Regression(s);
    const Model_Fits models = fit_models(s, assay % Model_Weightings);
    for (const int kind : {Four_PL, Five_PL})
      ASSERT_EQ(model_fit_shortfall(models.points.points, models.of(kind), Model_Read_Off), "") << where;
    Weight_Table(s, *grids);
    for (std::size_t r = 0; r <= 101; ++r)
      for (std::size_t c = 0; c <= 8; ++c)
        ASSERT_FALSE(testing::mentions_non_number(grids->ed(r, c)) ||
                     (r <= 3 && testing::mentions_non_number(grids->detection(r, c))))
            << where;
    // The eight logit-log fits, then the 4PL or 5PL fitted above, as the curve in force.
    for (int choice = 0; choice < 9; ++choice) {
      s.Weight_Type = static_cast<Integer>(choice % 4);
      s.Reg_Order = choice < 4 ? 1 : 3;
      s.Curve_Model = static_cast<Integer>(choice < 8 ? Logit_Log : assay % 2 == 0 ? Four_PL : Five_PL);
      s.Model_Weight = static_cast<Integer>(assay % Model_Weightings);
      const bool available = choice < 8 ? s.Fit_Available(choice) : models.of(s.Curve_Model).available;
      const Curve_Outcome curve = make_curve_in_force(s);
      ASSERT_EQ(curve.curve.has_value(), available) << where;
      if (!available) continue;
      Fitness_Examination(s, *curve.curve);
      Control_Sera(s, *curve.curve);
      const bool samples_valued = s.Sample_Number == 0 || dilution_factor_valid(s);
      ASSERT_EQ(Assay_Samples(s, *curve.curve), samples_valued) << where;
      ++fitted;
      const std::string fit = where + ", " + result_curve_name(s);
      ASSERT_EQ(testing::first_non_finite(s), "") << fit;
      if (!samples_valued) continue;
      for (Long p = 1; p <= s.Sample_Number; ++p)
        for (int j = 0; j <= Max_Tubes; ++j)
          ASSERT_TRUE(std::isfinite(s.Sample_Conc(p, j)) && (j > 5 || std::isfinite(s.Sample_Data(p, j))))
              << fit << ", sample " << p;
      ASSERT_EQ(shown_non_number(s) + interval_shortfall(s, *curve.curve), "") << fit;
    }
  }
  // The random assays must mostly be usable, or the test checks little.
  EXPECT_GT(fitted, Assays * 2) << "available fits over all assays";
}

const fs::path Fuzz_Folder = fs::path(QUORIN_SOURCE_DIR) / "fuzz";

TEST(Fuzz_Corpus, EveryKeptInputPassesTheCheckOfItsTarget) {
  int replayed = 0;
  for (const auto& source : fs::directory_iterator(Fuzz_Folder)) {
    const std::string file = source.path().filename().string();
    if (!file.ends_with("_fuzz.cpp")) continue;
    const std::string target = file.substr(0, file.size() - 9);
    const testing::Input_Check check = testing::input_check(target);
    ASSERT_NE(check, nullptr) << "no check for " << file;
    for (const char* kind : {"corpus", "regressions"}) {
      if (!fs::is_directory(Fuzz_Folder / kind / target)) continue;
      for (const auto& input : fs::directory_iterator(Fuzz_Folder / kind / target)) {
        const fs::path working = fs::current_path();
        EXPECT_EQ(check(testing::read_bytes(input.path().string())), "") << input.path();
        // libFuzzer reads the corpus, and writes what it finds, by the paths it was given.
        EXPECT_EQ(fs::current_path(), working) << "the check of " << target << " moved the working directory";
        ++replayed;
      }
    }
  }
  EXPECT_GT(replayed, 6) << "the seed corpora are missing";
}

}  // namespace
}  // namespace quorin
