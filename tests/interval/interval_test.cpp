// The 95 % intervals of a small assay worked out independently: the logit-log line weighted by
// the logit-transform correction and the 4PL weighted by counting statistics, each fitted, its
// covariance inverted and Student's t found in 40-digit arithmetic from the formula (curve's
// covariance, mean response over the usable tubes, delta method on ln concentration), and the line
// weighted by the distance to the standard points, whose intervals are marked as resting on an
// assumption. Then where no interval may be given, the CSV of a large assay, whose interval
// cells are made apart from its rows, and the printout of an interval of many digits.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "curve/curve_fixture.h"
#include "engine/concentration_interval.h"
#include "engine/fitness.h"
#include "engine/regression.h"
#include "engine/result_flags.h"
#include "engine/samples.h"
#include "engine/treatment_standard.h"
#include "results/interval_text.h"
#include "results/reg_result.h"
#include "results/result_export.h"
#include "results/result_prt.h"
#include "results/result_table.h"
#include "state/commands.h"
#include "state/program_fixture.h"
#include "support/text_search.h"
#include "text/display_width.h"
#include "text/format.h"
#include "ui/recording_printer.h"

namespace quorin {
namespace {

using testing::figures;

// NSB 200, 210; B0 10000, 10100; five standards in duplicate on a competitive curve. Samples:
// 1 in triplicate, 2 above the zero standard, 3 below the lowest standard, 4 above the highest, 5
// one tube at sample 1's mean count, 6 not counted. Serum 1 in duplicate.
std::unique_ptr<Assay_State> small_assay() {
  auto s = testing::new_state();
  s->STD_Number = 5;
  s->STD_Tubes = 2;
  const Long standard_counts[8][2] = {{200, 210},   {20000, 20000}, {10000, 10100}, {8450, 8390},
                                      {6300, 6420}, {3500, 3440},   {1630, 1580},   {980, 950}};
  for (int g = 1; g <= 8; ++g) testing::set_counts(s->STD_Count, g, standard_counts[g - 1]);
  const double concentrations[5] = {1, 3, 10, 30, 60};
  for (int k = 1; k <= 5; ++k) s->STD_Data(3 + k, STD_Column::Concentration) = concentrations[k - 1];
  s->Sera_Number = 1;
  s->Sera_Tubes = 2;
  testing::set_counts(s->Sera_Count, 1, {6000, 6100});
  s->Sample_Number = 6, s->Sample_Tubes = 3;
  const Long sample_counts[6][3] = {{4100, 4180, 4050}, {10500, 10600}, {9950, 9960}, {700, 690}, {4110}, {}};
  for (int i = 1; i <= 6; ++i) testing::set_counts(s->Sample_Count, i, sample_counts[i - 1]);
  s->Dilution_Factor = 10, s->Fit_From = 1, s->Fit_To = 5;
  Treatment_Standard(*s);
  Regression(*s);
  return s;
}

// The results of the curve chosen in `s` read off it, once `bend` has changed it, with the basis of
// their intervals.
Interval_Basis reduce(
    Assay_State& s, void (*bend)(Curve_In_Force&) = [](Curve_In_Force&) {}) {
  Curve_Outcome outcome = make_curve_in_force(s);
  EXPECT_TRUE(outcome.curve) << outcome.refusal;
  bend(*outcome.curve);
  Fitness_Examination(s, *outcome.curve);
  Control_Sera(s, *outcome.curve);
  EXPECT_TRUE(Assay_Samples(s, *outcome.curve));
  return interval_basis(s, *outcome.curve);
}

std::optional<Concentration_Interval> interval_of(const Assay_State& s, const Interval_Basis& basis, Result_Kind kind,
                                                  Long item) {
  return item_interval(s, basis, kind, item, item_flags(s, kind, item, flag_limits(s)));
}

// "lower upper" to 10 significant digits, "none" without an interval.
std::string bounds(const std::optional<Concentration_Interval>& interval) {
  if (!interval) return "none";
  return figures(interval->lower, 10) + " " + figures(interval->upper, 10) + (interval->assumed ? " assumed" : "");
}

// The intervals of samples 1 and 5, serum 1, standard 3 and sample 1 diluted, worked out apart; then
// samples 2, 3, 4 and 6, which have none. A curve without residual freedom has no interval at all.
TEST(Concentration_Interval, MatchesTheFormulaWorkedOutIndependentlyAndIsNoneWhereItHasNoMeaning) {
  const auto line = [](Assay_State& s) { s.Weight_Type = 2, s.Reg_Order = 1; };
  const auto four_pl = [](Assay_State& s) { s.Curve_Model = Four_PL, s.Model_Weight = 1; };
  const auto as_made = [](Curve_In_Force&) {};
  const char* const line_intervals =
      "7.497718739 7.671942991, 7.455913668 7.714959332, 3.376943045 3.467600813, 9.896407118 10.18196693, "
      "74.97718739 76.71942991, none, none, none, none";
  const std::pair<Result_Kind, Long> worked_out[] = {
      {Result_Kind::Sample, 1}, {Result_Kind::Sample, 5}, {Result_Kind::Sera, 1}, {Result_Kind::Standard_Conc, 3}};
  const char* const none = "none, none, none, none, none, none, none, none, none";
  const std::string no_interval = std::string("no interval: ") + none;
  const struct {
    const char* curve;
    void (*choose)(Assay_State&);
    void (*bend)(Curve_In_Force&);  // the curve changed after it was made
    std::string intervals;
  } cases[] = {
      {"logit-log line, logit-transform correction", line, as_made, line_intervals},
      // Outside its window a cubic is read on its weighting's line, and so is its interval.
      {"its cubic with the window closed", [](Assay_State& s) { s.Weight_Type = 2, s.Reg_Order = 3; },
       [](Curve_In_Force& c) { c.line.below = c.line.above; }, line_intervals},
      {"logit-log line, distance to the standard points", [](Assay_State& s) { s.Weight_Type = 1, s.Reg_Order = 1; },
       as_made,
       "7.420232473 7.771350002 assumed, 7.316705677 7.88130973 assumed, 3.324758133 3.519782609 assumed, "
       "9.786026102 10.33380043 assumed, 74.20232473 77.71350002 assumed, none, none, none, none"},
      {"4PL, counting statistics (sample 2 beyond the curve's top)", four_pl, as_made,
       "7.315740591 7.815370276, 7.210062413 7.929920477, 3.271575082 3.572294187, 9.634736549 10.39162064, "
       "73.15740591 78.15370276, none, none, none, none"},
      {"a zero slope", line, [](Curve_In_Force& c) { c.line.slope = 0; }, none},
      {"a cubic through four standards: no residual freedom",
       [](Assay_State& s) { s.Fit_From = 2, Regression(s), s.Weight_Type = 0, s.Reg_Order = 3; }, as_made, no_interval},
      {"a 4PL through as many points as parameters", four_pl,
       [](Curve_In_Force& c) { c.model_uncertainty.degrees_of_freedom = 0; }, no_interval},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.curve);
    auto s = small_assay();
    c.choose(*s);
    const Interval_Basis basis = reduce(*s, c.bend);
    const auto first = interval_of(*s, basis, Result_Kind::Sample, 1);
    std::string found = basis.problem.empty() ? "" : "no interval: ";
    for (const auto& [kind, item] : worked_out) found += bounds(interval_of(*s, basis, kind, item)) + ", ";
    found += bounds(first ? std::optional(diluted(*first, s->Dilution_Factor)) : std::nullopt);
    for (const Long sample : {2, 3, 4, 6}) found += ", " + bounds(interval_of(*s, basis, Result_Kind::Sample, sample));
    EXPECT_EQ(found, c.intervals);
  }
}

// Thousands of samples, their interval cells made on other cores in parts of some thousand rows:
// every row of the CSV carries its own item's interval, to the digit, on either side of every
// part's edge, sample values by the dilution factor and the premise where the curve assumes it.
TEST(Concentration_Interval, EveryRowOfALargeCsvCarriesItsOwnInterval) {
  for (const int weighting : {1, 2}) {  // the distance to the standard points (assumed), the logit correction
    SCOPED_TRACE(weighting);
    auto s = small_assay();
    s->Sample_Number = 7000;
    for (Long i = 7; i <= s->Sample_Number; ++i)  // counts from below the NSB to above B0, some tubes missing
      for (int j = 1; j <= 3; ++j)
        s->Sample_Count(i, j) = (i * 37 + j * 101) % 11 == 0 ? 0 : 100 + (i * 53 + j) % 10500;
    s->Weight_Type = weighting;
    const Interval_Basis basis = reduce(*s);
    const Flag_Limits limits = flag_limits(*s);
    std::vector<std::string> expected = {""};  // the header
    int given = 0;
    for (const Result_Kind kind : {Result_Kind::Standard_Conc, Result_Kind::Sera, Result_Kind::Sample}) {
      for (Long i = 1; i <= item_count(*s, kind); ++i) {
        const auto interval = item_interval(*s, basis, kind, i, item_flags(*s, kind, i, limits));
        const auto cells = [&](double by) {  // "lower,upper" times `by`
          return interval ? text::Format(interval->lower * by, "") + "," + text::Format(interval->upper * by, "") : ",";
        };
        given += interval.has_value();
        expected.push_back(cells(1) + "|" + (kind == Result_Kind::Sample ? cells(s->Dilution_Factor) : ",") + "," +
                           (interval && interval->assumed ? "仮定" : ""));
      }
    }
    EXPECT_GT(given, 4000) << "most samples have an interval";
    std::istringstream csv(results_csv(*s));
    std::size_t r = 0;
    for (std::string line; std::getline(csv, line); ++r) {
      line.pop_back();  // the CR
      const std::vector<std::string> cells = testing::cells_of(line);
      ASSERT_EQ(cells.size(), 18u) << line;
      if (r > 0) {
        ASSERT_EQ(cells[4] + "," + cells[5] + "|" + cells[8] + "," + cells[9] + "," + cells[10], expected.at(r))
            << "row " << r;
      }
    }
    ASSERT_EQ(r, expected.size());
  }
}

// Sample values of some thirty digits (a dilution factor of 1e30): the printout breaks the
// interval's line at blanks into lines within the sample table's 107 columns, and together they
// say all the screen says. Blanks and a word longer than a line break the same way in any text.
using Interval_Shown = testing::Program_Test;

TEST_F(Interval_Shown, APrintedIntervalOfManyDigitsStaysWithinTheTable) {
  auto s = small_assay();
  s->Dilution_Factor = 1e30;
  s->Sample_Number = 60;  // pages of them, each sample's interval on two lines
  for (Long i = 7; i <= 60; ++i) testing::set_counts(s->Sample_Count, i, {4100, 4180, 4050});
  const Interval_Basis basis = reduce(*s);
  const std::string whole = interval_text(Result_Kind::Sample, interval_of(*s, basis, Result_Kind::Sample, 1), 1e30);
  ASSERT_GT(text::display_columns(whole), 107u);
  ui::Recording_Printer printer;
  const long pages = print_result_table(*s, Result_Kind::Sample, printer);
  EXPECT_GT(pages, 2);
  EXPECT_EQ(pages, result_table_pages(*s, Result_Kind::Sample, printer.printable_height())) << "as counted before";
  std::vector<std::string> lines;
  for (const std::string& op : printer.ops())
    if (const auto printed = testing::printed_text(op);
        printed && lines.size() < 3 && (!lines.empty() || printed->text.starts_with("  95%区間 7.")))
      lines.push_back(printed->text);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(lines[1].starts_with("    ") && lines[1][4] != ' ') << "continued, indented: " << lines[1];
  EXPECT_FALSE(lines[2].starts_with("    ")) << "the next line is no part of it: " << lines[2];
  for (const std::string& line : {lines[0], lines[1]}) EXPECT_LE(text::display_columns(line), 106u) << line;
  EXPECT_EQ(lines[0].substr(2) + " " + lines[1].substr(4), whole);

  // On the results screen such a line ends in "…" within the 133 columns of its label.
  std::string conditions = testing::read_bytes(testing::Example_Conditions);
  conditions.replace(conditions.find("1.0000\r\n.5"), 6, "1E+30");
  testing::write_bytes(folder.file("wide.crx"), conditions);
  program.start();
  testing::run_wizard(program, platform, folder.file("wide.crx"), testing::Example_Counts);
  program.state.Screen_No = screen_no(Screen::Result);
  program.command(target::Sample_Table);
  auto& results = *program.screen_as<Reg_Result>(Screen::Result);
  results.choose_row(3);  // sample 1's summary row
  const std::string& shown = results.Interval_Label.caption;
  EXPECT_TRUE(shown.starts_with("Sample 1 の 95%区間 ") && shown.ends_with("…")) << shown;
  EXPECT_EQ(shown, text::elide_to_columns(shown, 133, Screen_Widest_Half_Width)) << "it fits";

  const std::pair<const char*, const char*> wraps[] = {{"ab cd ef", "ab cd|ef"}, {"abcdefgh ij", "abcde|fgh|ij"},
                                                       {"ab   cd", "ab|cd"},     {"区間 区間区間", "区間|区間|区間"},
                                                       {"abcde fg", "abcde|fg"}, {"", ""}};
  for (const auto& [text_in, expected] : wraps) {
    std::string found;
    for (const std::string& line : text::wrap_at_blanks(text_in, 5)) found += (found.empty() ? "" : "|") + line;
    EXPECT_EQ(found, expected) << text_in;
  }
}

}  // namespace
}  // namespace quorin
