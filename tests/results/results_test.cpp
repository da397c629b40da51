// The results as the user sees them: the four tables of the hand-worked assay on the screen, the
// scroll range and the pages of long tables; the printout of its three tables as recorded printer
// operations, where pages break and what the user is told; and the flags at their edges (a value
// exactly at a limit is not flagged, the next value beyond it is).
// The result file: its bytes for the hand-worked assay, the same bytes when a large assay is
// shared among threads, and a save that is cancelled, refused or fails.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "curve/curve_fixture.h"
#include "engine/result_curve.h"
#include "engine/result_flags.h"
#include "engine/samples.h"
#include "results/reg_result.h"
#include "results/result_file.h"
#include "results/result_prt.h"
#include "results/results_procedures.h"
#include "state/program_fixture.h"
#include "support/hand_worked_assay.h"
#include "ui/recording_printer.h"

namespace quorin {
namespace {

// Four standards of 1, 2, 5 and 10 with one tube of 2600 counts each on NSB 100 and B0 5100, and
// the line y = ln 3 - x (or its cubic) of `weight_type` chosen.
void four_standards(Assay_State& s, int weight_type, std::initializer_list<double> cubic = {}) {
  s.STD_Number = 4;
  s.STD_Data(STD_Row::NSB, STD_Column::Mean_Count) = 100, s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count) = 5100;
  const double standards[] = {1, 2, 5, 10}, logits[] = {2, 0.7, -0.7, -2};
  for (int k = 1; k <= 4; ++k) testing::set_treated_standard(s, k, standards[k - 1], logits[k - 1], {2600});
  testing::choose_line(s, weight_type, std::log(3.0), -1, cubic);
}

class Result_Screen : public testing::Program_Test {
 protected:
  Result_Screen() : screen(program) { name_weightings(s); }

  // Body row i (0..19) as shown, its ten texts each followed by '|'.
  std::string shown(int i) const {
    std::string row;
    for (int j = 0; j < Reg_Result::Columns; ++j) row += screen.Label1[Reg_Result::Page_Rows * j + i].caption + "|";
    return row;
  }
  // The caption, the headers and the rows up to the first one without texts.
  std::string table(Result_Kind kind) {
    screen.show_table(kind);
    std::string text = "== " + screen.caption + " (printable table " + std::to_string(s.Result_Table) + ")\n";
    for (int j = 0; j < Reg_Result::Columns; ++j) text += screen.Label[j].caption + "|";
    for (int i = 0; i < Reg_Result::Page_Rows; ++i) {
      text += "\n" + shown(i);
      if (shown(i).find_first_not_of('|', shown(i).find('|')) == std::string::npos) break;
    }
    return text + "\n";
  }
  Assay_State& s = state;
  Reg_Result screen;
  ui::Recording_Printer printer;
};

TEST_F(Result_Screen, TablesOfTheHandWorkedAssay) {
  std::string shown_tables = table(Result_Kind::Standard_Data);  // no standards
  shown_tables += table(Result_Kind::Standard_Conc);
  testing::hand_worked(s);  // with a second standard that was not measured, standard 1 read back
  s.STD_Number = 2;
  s.STD_Data(4, STD_Column::Concentration) = 0.5, s.STD_Data(5, STD_Column::Concentration) = 12.25;
  s.STD_Conc(4, 1) = 0.4567, s.STD_Data(4, STD_Column::Back_Mean) = 0.4567;
  s.Reg_Order = 3;
  shown_tables += table(Result_Kind::Standard_Data);
  shown_tables += table(Result_Kind::Standard_Conc);
  s.Reg_Order = 1;
  s.Weight_Type = 3;
  shown_tables += table(Result_Kind::Sera);
  s.Weight_Type = 0;
  s.Sample_Data(1, Sample_Column::Area_Code) = 0;  // an area of 0 shows as nothing
  s.Sample_Data(3, Sample_Column::Area_Code) = 4;
  s.Sample_Id = {"", "P-0001"};  // sample 1's identifier; sample 3 has none
  shown_tables += table(Result_Kind::Sample);
  testing::expect_golden("hand_worked_tables.txt", shown_tables);
}

// The CV limit of the flags typed on the screen: the flags and their summary line follow it; a
// limit that is no percentage is refused and the one in force stays. Each limit typed, the limit
// shown, sample 1's flags and the summary are recorded in golden/cv_limit.txt, then the messages.
TEST_F(Result_Screen, FlagsFollowTheCvLimitTyped) {
  testing::hand_worked(s);  // sample 1: concentration CV 2.60 %, above the one standard
  screen.show_table(Result_Kind::Sample);
  std::string record;
  for (const std::string typed : {"2", "0", "2.6"}) {
    testing::type_over(screen.CV_Box, typed);
    testing::press(screen.CV_Box, ui::Key_Return);
    record += typed + " → " + screen.CV_Box.text + " | " + screen.Label1[Reg_Result::Page_Rows * 3 + 3].caption +
              " | " + screen.Flag_Label.caption + "\n";
  }
  testing::expect_golden("cv_limit.txt", record + testing::lines_of(platform.messages));
}

// Standards or samples, their planned and measured tubes: the scroll range, the page scrolled to
// last and its first and last rows, recorded in golden/long_tables.txt.
TEST_F(Result_Screen, ScrollRangeAndPagesOfLongTables) {
  // Standards, samples, the tubes planned for each and the tubes measured.
  const std::tuple<int, Long, int, int> cases[] = {
      {5, 0, 2, 2},     // 24 rows
      {0, 100, 10, 1},  // planned tubes beyond the filled rows
      {0, 11, 1, 10},   // filled rows beyond the planned tubes
      {0, 5000, 10, 10},
  };
  std::string record;
  for (const auto& [standards, samples, tubes, measured] : cases) {
    s.STD_Number = static_cast<Integer>(standards);
    s.STD_Tubes = s.Sample_Tubes = static_cast<Integer>(tubes);
    for (int k = 1; k <= standards + 3; ++k) s.STD_Tube_N(k) = static_cast<Integer>(measured);
    s.Sample_Number = samples;
    for (Long i = 1; i <= samples; ++i) s.Sample_Tube_N(i) = static_cast<Integer>(measured);
    screen.show_table(standards > 0 ? Result_Kind::Standard_Data : Result_Kind::Sample);
    screen.VScroll1.set_value(screen.VScroll1.max);
    record += "== scroll range " + std::to_string(screen.VScroll1.max) + ", last page " +
              std::to_string(screen.Result_Page) + "\n" + shown(0) + "\n" + shown(19) + "\n";
  }
  testing::expect_golden("long_tables.txt", record);
}

using Ops = std::vector<std::string>;

// Samples whose counted tubes cannot be read off the curve carry the side they lie beyond, never
// "×", in place of their concentrations; a long identifier is shown cut with "…" in its cell and
// whole under the table, and printed whole in rows of its own that no rule or other text crosses.
TEST_F(Result_Screen, UnreadSamplesAndLongIdentifiersAreShownForWhatTheyAre) {
  four_standards(s, 0);
  s.STD_Tubes = 2;
  // Above the zero standard's counts, below the NSB's, on the curve, one tube of each kind.
  const Long counts[][2] = {{15000, 15000}, {50, 60}, {2600, 2600}, {5200, 2600}};
  s.Sample_Number = 4, s.Sample_Tubes = 2, s.Dilution_Factor = 1;
  for (Long i = 1; i <= 4; ++i) s.Sample_Count(i, 1) = counts[i - 1][0], s.Sample_Count(i, 2) = counts[i - 1][1];
  const Curve_Outcome curve = make_curve_in_force(s);
  ASSERT_TRUE(curve.curve && Assay_Samples(s, *curve.curve));
  const std::string longest(64, 'W'),
      japanese = "検体" + std::string("ａ") + "検体検体検体検体検体検体検体検体検体検体検体検体検体検";
  std::string wide;  // 64 full-width characters: two printed rows
  for (int k = 0; k < 32; ++k) wide += "検体";
  s.Sample_Id = {"", longest, japanese, wide};

  screen.show_table(Result_Kind::Sample);  // sample 4 has one usable tube
  EXPECT_EQ(screen.Flag_Label.caption, "サンプル 4 件中 3 件にフラグがあります (> 1, < 1, 1 1)");
  EXPECT_EQ(shown(2), "3|Sample 1|WWWWW…|<|0.00|<||<|||");
  EXPECT_EQ(shown(5), "6|Sample 2|検体ａ検…|>|12.86|>||>|||");
  EXPECT_EQ(shown(9), "10| 7|5200|<|||||||");  // sample 4's first tube
  testing::click(screen.Label1[Reg_Result::Page_Rows + 5]);
  EXPECT_EQ(screen.Id_Label.caption, "Sample 2 の ID: " + japanese);

  print_result_table(s, Result_Kind::Sample, printer);
  std::map<int, Ops> texts;                      // y -> the texts printed there
  std::vector<std::tuple<int, int, int>> rules;  // the inner vertical rules: x, top, bottom
  for (const std::string& op : printer.ops()) {
    int x = 0, y = 0, x2 = 0, y2 = 0;
    if (std::sscanf(op.c_str(), "text %d,%d", &x, &y) == 2) texts[y].push_back(op.substr(op.find('"')));
    if (std::sscanf(op.c_str(), "line %d,%d %d,%d", &x, &y, &x2, &y2) == 4 && x == x2) rules.emplace_back(x, y, y2);
  }
  std::string ids;  // the identifiers' rows: "  ID: " and the identifier, its next part under it
  for (const auto& [y, row] : texts) {
    const std::string text = row.front().substr(1, row.front().size() - 2);
    if (!text.starts_with("  ID: ") && !(row.size() == 1 && text.starts_with("      "))) continue;
    EXPECT_EQ(row.size(), 1u) << "the identifier's row holds nothing else";
    ids += text.substr(6);
    for (const auto& [x, top, bottom] : rules) EXPECT_FALSE(top < y + 250 && bottom > y) << "a rule at " << x;
  }
  EXPECT_EQ(ids, longest + japanese + wide);
  EXPECT_EQ(texts[250 * 6], (Ops{"\"  Sample 1\"", "\"       0.00\"", "\"           \"", "\"          <\"",
                                 "\"          <\"", "\" <\""}));
}

// Result_PRT prints the table last asked for (the whole road and the screens-vs-batch tests see
// what); a table without measured items it refuses, printing nothing.
TEST_F(Result_Screen, PrintedTablesOfTheHandWorkedAssayOrNothingToPrint) {
  s.Result_Table = 2;  // the sera, not measured
  s.Sera_Number = 3;
  testing::as_computed(s);
  Result_PRT(program);
  EXPECT_EQ(platform.recorder.documents(), 0);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"印刷する測定結果がありません"});
  testing::hand_worked(s);  // serum 1 and sample 2 not measured: no rows, no tube numbers
  s.Reg_Order = 1;
  EXPECT_EQ(print_result_table(s, Result_Kind::Sera, printer), 1);
  // Sample 3's figures wider than their columns are printed whole.
  double* wide = s.Sample_Data.row(3);
  wide[1] = 12.345, wide[2] = 1234567.5, wide[3] = 123456789;
  s.Sample_Id = {"", "", "", "P-0003"};
  EXPECT_EQ(print_result_table(s, Result_Kind::Sample, printer), 1);
  // A second standard without tubes is skipped; standard 1 read back.
  s.STD_Number = 2;
  s.STD_Data(4, STD_Column::Concentration) = 0.5, s.STD_Conc(4, 1) = 0.4567;
  s.STD_Data(4, STD_Column::Mean_Count) = 4000.4, s.STD_Data(4, STD_Column::Count_CV) = 1.5,
                s.STD_Data(4, STD_Column::Back_Mean) = 0.4567, s.STD_Data(4, STD_Column::Back_CV) = 0;
  s.Weight_Type = 1;
  EXPECT_EQ(print_result_table(s, Result_Kind::Standard_Conc, printer), 1);
  testing::expect_golden("hand_worked_printout.txt", testing::lines_of(printer.ops()));
}

// Measured tubes of samples 1, 2, ...: 47 rows and a summary on line 50 end a page; an item split
// across pages goes on after the next header; 48 rows fill a page; the last items not measured.
// Each page's first and last rows are recorded.
TEST_F(Result_Screen, PrintedPagesBreakAfterRow47Or48AndEveryPageIsADocument) {
  std::vector<int> pairs(15, 2), split(13, 3);
  pairs.insert(pairs.end(), {1, 1});
  split[0] = 1;
  const auto row_or_frame = [](const std::string& op) {
    return op.starts_with("text 9600,250 ") || op.starts_with("rect ") ||
           (op.starts_with("text 0,") && !op.starts_with("text 0,250 ") && !op.starts_with("text 0,750 "));
  };
  std::string record;
  for (const std::vector<int>& tubes : {pairs, split, std::vector<int>(1000, 1), std::vector<int>{2, 0, 0}}) {
    printer.clear();
    s.Sample_Number = static_cast<Long>(tubes.size());
    s.Sample_Tubes = 10;
    for (std::size_t i = 0; i < tubes.size(); ++i) s.Sample_Tube_N(i + 1) = static_cast<Integer>(tubes[i]);
    const int pages = print_result_table(s, Result_Kind::Sample, printer);
    EXPECT_EQ(printer.documents(), pages);
    record += "== " + std::to_string(pages) + " pages\n";
    const Ops& ops = printer.ops();
    auto end = ops.begin();  // of the page before
    for (int p = 1; p <= pages; ++p) {
      const auto begin = end;
      end = std::find(begin, ops.end(), "end") + 1;
      if (p > 2 && p < pages) continue;  // the first, second and last pages are recorded
      Ops rows;                          // the page number, the rows and their frame
      for (const std::string& op : Ops(begin, end))
        if (row_or_frame(op)) rows.push_back(op);
      const auto head = rows.begin() + std::min<std::ptrdiff_t>(4, std::ssize(rows) / 2);
      const auto tail = std::max(head, rows.end() - 4);
      record += testing::lines_of(Ops(rows.begin(), head)) + "...\n" + testing::lines_of(Ops(tail, rows.end()));
    }
  }
  testing::expect_golden("page_breaks.txt", record);
}

// Sera and samples, then the recovery of standards and the summary line. (The samples' flags and
// their summary are the hand-worked tables'; a summary without flags is the batch warnings' record.)
TEST(Result_Flags, EveryFlagAtItsEdges) {
  // What a row is, the mean, the CV, the usable tubes, the detection limit and the flags.
  const std::tuple<const char*, double, double, int, std::optional<double>, const char*> cases[] = {
      {"exactly the top standard", 40, 5, 2, {}, ""},
      {"just above the top standard", std::nextafter(40.0, 41.0), 5, 2, {}, ">"},
      {"exactly the lowest standard", 1, 5, 2, {}, ""},
      {"just below the lowest standard", std::nextafter(1.0, 0.0), 5, 2, {}, "<"},
      {"above the lowest standard, below the detection limit", 1.5, 5, 2, 2.0, "<"},
      {"exactly the detection limit", 2, 5, 2, 2.0, ""},
      {"exactly the limit CV", 20, 10, 2, {}, ""},
      {"just above the limit CV", 20, std::nextafter(10.0, 11.0), 2, {}, "CV"},
      {"one usable tube", 20, 0, 1, {}, "1"},
      {"no usable tube", 0, 0, 0, {}, "×"},
      {"beyond the top with scattered replicates, one tube left", 1134, 36, 1, {}, "> CV 1"},
  };
  for (const auto& [what, mean, cv, usable, detection, flags] : cases) {
    Flag_Limits limits;
    limits.lowest = 1, limits.highest = 40, limits.cv_limit = 10, limits.detection = detection;
    EXPECT_EQ(flags_text(value_flags(mean, cv, usable, limits)), flags) << what;
  }
  // Standards read back at 80 % and 120 % of their concentration pass; beyond either, they carry R.
  auto s = testing::new_state();
  s->STD_Number = 4;
  const double nominal = 100, back[] = {80, 79.9, 120, 120.1};
  for (std::size_t k = 1; k <= 4; ++k) {
    s->STD_Data(k + 3, STD_Column::Concentration) = nominal;
    s->STD_Data(k + 3, STD_Column::Back_Mean) = back[k - 1];
  }
  const Flag_Limits limits = flag_limits(*s, nullptr);
  const char* expected[] = {"", "R", "", "R"};
  for (Long k = 1; k <= 4; ++k)
    EXPECT_EQ(flags_text(item_flags(*s, Result_Kind::Standard_Conc, k, limits)), expected[k - 1]) << back[k - 1];
  EXPECT_EQ(flag_summary(*s, Result_Kind::Standard_Conc, limits), "スタンダード 4 件中 2 件にフラグがあります (R 2)");
}

// A large assay is shared among threads: the samples read and their lines written in parts must
// be exactly what one thread makes, and each count read once for its tubes as if read alone.
TEST(Result_File, SamplesAndTheirLinesMadeInPartsAreWhatOneThreadMakes) {
  auto s = testing::new_state();
  four_standards(*s, 2, {std::log(3.0), -1, 0.01, -0.002});
  const Curve_Outcome curve = make_curve_in_force(*s);
  ASSERT_TRUE(curve.curve);
  s->Dilution_Factor = 2;
  s->Sample_Number = 16500;  // more than one round of sample lines
  s->Sample_Tubes = 2;
  std::mt19937 random(5);
  std::uniform_int_distribution<Long> count(-200, 5400);
  for (Long i = 1; i <= s->Sample_Number; ++i)
    for (int j = 1; j <= 2; ++j) s->Sample_Count(i, j) = random() % 7 == 0 ? 0 : count(random);

  auto samples_read = [&](int parts) {
    s->Sample_Conc.fill(-1);
    s->Sample_Data.fill(-1);
    s->Sample_Tube_N.fill(-1);
    read_samples(*s, sample_read_off(*curve.curve), parts);
    std::vector<double> read;
    for (Long i = 0; i <= s->Sample_Number + 1; ++i) {
      read.insert(read.end(), s->Sample_Conc.row(i), s->Sample_Conc.row(i) + Max_Tubes + 1);
      read.insert(read.end(), s->Sample_Data.row(i), s->Sample_Data.row(i) + 6);
      read.push_back(s->Sample_Tube_N(i));
    }
    text::Line_Writer out;
    write_result_sections(*s, out, parts);
    return std::make_pair(read, out.bytes());
  };
  const auto one_thread = samples_read(1);
  for (int parts : {2, 3, 8}) EXPECT_TRUE(samples_read(parts) == one_thread) << parts << " parts";
}

// Result_Output through the program: the conditions as shown, the dialog, the messages. Saved,
// then saved again with a text it cannot hold: the file saved stays as it was.
TEST_F(Result_Screen, OutputWritesTheConditionLinesThenTheResultsOrLeavesTheFileAsItWas) {
  const std::pair<int, const char*> fields[] = {{0, "山田　花子"}, {3, "コルチゾール"}, {4, "μg/dl"}, {6, "1"},
                                                {7, "2"},          {13, "0.5"}};
  for (const auto& [field, text] : fields) s.Condition_Texts[field] = text;
  testing::hand_worked(s);
  testing::as_computed(s);
  Result_Output(program);  // the dialog cancelled: nothing written, nothing said
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
  const std::string path = folder.file("result.txt");
  platform.file_answers.push_back(path);
  Result_Output(program);
  ASSERT_EQ(platform.dialogs.size(), 2u);
  EXPECT_TRUE(platform.dialog_was_save[1]);
  const std::string saved = testing::read_bytes(path);
  testing::expect_golden("hand_worked_result.txt", saved);

  // A condition text code page 932 cannot hold: refused, the file saved before kept. (Paths that
  // cannot be written are the file failures test's, for every save.)
  s.Condition_Texts[0] = "Señor";
  platform.messages.clear();
  platform.file_answers.push_back(path);
  Result_Output(program);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"結果を保存できません: " + path +
                                                        "\n条件設定の「ñ」はシフトJISで保存できない文字です"});
  EXPECT_EQ(testing::read_bytes(path), saved);
}

}  // namespace
}  // namespace quorin
