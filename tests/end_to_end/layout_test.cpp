// Every page of the whole report and every screen of the example assay and of a large one (20
// standards, 20 control sera) as a reader sees them: no text leaves its page or window or runs
// into another text, a rule or a curve, and every page names the assay with its place in the job.

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <sstream>
#include <tuple>

#include "batch/run_batch.h"
#include "intro/reg_intro.h"
#include "report/print_report.h"
#include "state/commands.h"
#include "state/program.h"
#include "state/work_screen.h"
#include "support/form_driver.h"
#include "support/layout_check.h"
#include "support/test_support.h"
#include "text/cp932.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

const std::string Example_Conditions = QUORIN_SOURCE_DIR "/examples/cortisol.crx";
const std::string Example_Counts = QUORIN_SOURCE_DIR "/examples/cortisol_counts.txt";

// An assay of `standards` standards and `sera` control sera in triplicate and `samples` samples in
// duplicate, counted on a smooth competitive curve with a little scatter; its two files in `folder`.
std::pair<std::string, std::string> write_assay(const testing::Scratch_Folder& folder, int standards, int sera,
                                                int samples) {
  auto bound = [](double conc, int tube) { return std::round(300 + 9700 / (1 + conc / 8.0) + 37 * (tube % 3)); };
  std::ostringstream conditions, counts;
  conditions << "検査 太郎\r\n2026年12月01日\r\n\r\nテストステロン（遊離型）\r\nng/mL\r\nLARGE-2020-007\r\n"
             << standards << "\r\n3\r\n"
             << sera << "\r\n3\r\n"
             << samples << "\r\n2\r\n1.0000\r\n";
  for (int k = 1; k <= 20; ++k)
    conditions << (k <= standards ? std::to_string(0.25 * std::pow(1.45, k)) : "") << "\r\n";
  auto tubes = [&](double value, int n) {
    for (int t = 0; t < n; ++t) counts << ' ' << value << " \r\n";
  };
  tubes(300, 3);
  tubes(21000, 3);
  for (int t = 0; t < 3; ++t) counts << ' ' << bound(0, t) << " \r\n";
  for (int k = 1; k <= standards; ++k)
    for (int t = 0; t < 3; ++t) counts << ' ' << bound(0.25 * std::pow(1.45, k), t) << " \r\n";
  for (int k = 1; k <= sera; ++k)
    for (int t = 0; t < 3; ++t) counts << ' ' << bound(0.3 * k, t) << " \r\n";
  for (int k = 1; k <= samples; ++k)
    for (int t = 0; t < 2; ++t) counts << ' ' << bound(0.5 + (k % 97), t) << " \r\n";
  const auto crx = folder.file("large.crx"), txt = folder.file("large.txt");
  testing::write_bytes(crx, *text::utf8_to_cp932(conditions.str()));
  testing::write_bytes(txt, counts.str());
  return {crx, txt};
}

// The report of a batch run of the two files, pages as the options choose.
ui::Recording_Printer report_of(const std::string& crx, const std::string& txt, const testing::Scratch_Folder& folder,
                                long first_page = 1, long last_page = 0) {
  batch::Batch_Options options;
  options.conditions = crx;
  options.counts = txt;
  options.result = folder.file("result.txt");
  options.pdf = folder.file("report.pdf");
  options.first_page = first_page;
  options.last_page = last_page;
  ui::Recording_Printer printer;
  std::ostringstream errors;
  batch::Batch_Platform platform(printer, errors);
  EXPECT_EQ(batch::run_batch(options, platform), batch::Exit_Done) << errors.str();
  return printer;
}

// One finding a line, for a readable failure.
std::string lines(const std::vector<std::string>& found) {
  std::string joined;
  for (const std::string& line : found) joined += line + "\n";
  return joined;
}

// The "n / N" of every page's foot, in order.
std::vector<std::string> page_numbers(const ui::Recording_Printer& printer) {
  std::vector<std::string> numbers;
  const std::regex foot(R"re(^text 9200,\S+ "(\d+ / \d+)"$)re");
  for (const std::string& op : printer.ops())
    if (std::smatch m; std::regex_match(op, m, foot)) numbers.push_back(m[1]);
  return numbers;
}

// The screens from the start-up screen through the wizard on the two files.
void run_wizard(Program& program, ui::Scripted_Platform& platform, const std::string& crx, const std::string& txt) {
  program.start();
  testing::click(program.screen_as<Reg_Intro>(Screen::Intro)->Command1);
  platform.file_answers = {crx, txt};
  testing::click(program.screen_as<Work_Screen>(Screen::Conditions)->Command[target::Wizard]);
  EXPECT_NE(program.screen(Screen::Result), nullptr) << lines(platform.messages);
}

TEST(Layout, EveryReportPageIsClearAndNamesItsPlaceInTheJob) {
  testing::Scratch_Folder folder;
  const auto [crx, txt] = write_assay(folder, 20, 20, 30);
  for (const auto& [conditions, counts] : {std::pair{Example_Conditions, Example_Counts}, std::pair{crx, txt}}) {
    SCOPED_TRACE(conditions);
    const ui::Recording_Printer printer = report_of(conditions, counts, folder);
    EXPECT_EQ(lines(testing::page_clashes(printer.ops())), "");
    const int pages = printer.documents();
    std::vector<std::string> expected;
    for (int n = 1; n <= pages; ++n) expected.push_back(std::to_string(n) + " / " + std::to_string(pages));
    EXPECT_EQ(page_numbers(printer), expected);
  }
}

// Every screen the example assay and the large one reach, each result table shown in turn.
TEST(Layout, EveryScreenFitsAndNothingOnItRunsTogether) {
  testing::Scratch_Folder folder;
  const auto [crx, txt] = write_assay(folder, 20, 20, 30);
  for (const auto& [conditions, counts] : {std::pair{Example_Conditions, Example_Counts}, std::pair{crx, txt}}) {
    SCOPED_TRACE(conditions);
    ui::Scripted_Platform platform;
    Program program(platform);
    program.start();
    std::vector<std::string> clashes;
    auto look = [&] {
      for (int which = 1; which <= 9; ++which)
        if (const ui::Form* form = program.screen(static_cast<Screen>(which)))
          for (std::string& clash : testing::form_clashes(*form)) clashes.push_back(std::move(clash));
    };
    look();
    run_wizard(program, platform, conditions, counts);
    const std::pair<Screen, int> steps[] = {{Screen::Graph, target::Switch_View},
                                            {Screen::Graph, target::Models},
                                            {Screen::Result, target::Standard_Table},
                                            {Screen::Result, target::Sample_Table},
                                            {Screen::Result, target::QC_Chart},
                                            {Screen::Result, target::Precision_Profile},
                                            {Screen::Result, target::Help}};
    for (const auto& [from, target] : steps) {
      look();
      program.state.Screen_No = screen_no(from);
      program.command(target);
    }
    look();
    std::sort(clashes.begin(), clashes.end());
    clashes.erase(std::unique(clashes.begin(), clashes.end()), clashes.end());
    EXPECT_EQ(lines(clashes), "");
  }
}

// A report of more than 500 pages asks first on the screens: closing the question prints nothing,
// "1–20 ページ" the first twenty pages numbered over the whole report. A batch run never asks and
// prints the pages --pages names, numbered the same way.
TEST(Long_Report, AsksFirstOnTheScreensAndNeverInABatchRun) {
  testing::Scratch_Folder folder;
  const auto [crx, txt] = write_assay(folder, 8, 3, 10000);
  std::string all;
  for (const auto& [choice, first, last] : {std::tuple{-1, 0, 0}, std::tuple{1, 1, 20}}) {
    ui::Scripted_Platform platform;
    Program program(platform);
    run_wizard(program, platform, crx, txt);
    platform.recorder.clear();
    platform.questions.clear();
    platform.choices = {choice};
    Report_PRT(program);
    ASSERT_EQ(platform.questions.size(), 1u) << lines(platform.messages);
    const std::smatch asked = [&] {
      std::smatch m;
      std::regex_search(platform.questions[0], m, std::regex(R"(全部で (\d+) ページ)"));
      return m;
    }();
    ASSERT_FALSE(asked.empty()) << platform.questions[0];
    all = asked[1];
    EXPECT_GT(std::stol(all), 500);
    std::vector<std::string> expected;
    for (int n = first; n <= last && n > 0; ++n) expected.push_back(std::to_string(n) + " / " + all);
    EXPECT_EQ(page_numbers(platform.recorder), expected);
  }
  EXPECT_EQ(page_numbers(report_of(crx, txt, folder, 3, 5)),
            (std::vector<std::string>{"3 / " + all, "4 / " + all, "5 / " + all}));
}

}  // namespace
}  // namespace quorin
