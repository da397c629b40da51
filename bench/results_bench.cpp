// Timing of the results at the largest assay: 20 standards x 10 tubes and 100,000 samples x 10
// tubes read off the cubic. Showing the sample table from the button press (Assay_Samples and
// Sample_Disp, 1.1 million rows), turning to pages across the table, writing the result file,
// and the peak memory of the whole process.

#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>

#include "bench_timing.h"
#include "curve/regression.h"
#include "data/treatment_standard.h"
#include "results/reg_result.h"
#include "state/navigation.h"
#include "state/program.h"
#include "state/targets.h"
#include "ui/scripted_platform.h"

namespace {

using namespace quorin;

void fill_largest_assay(Assay_State& s) {
  std::mt19937 random(1);
  std::uniform_real_distribution<double> scatter(0.95, 1.05);
  const double nsb = 300, b0 = 12000;
  s.STD_Number = 20;
  s.STD_Tubes = 10;
  for (int j = 1; j <= 10; ++j) {
    s.STD_Count(1, j) = Long(nsb * scatter(random));
    s.STD_Count(2, j) = 40000;
    s.STD_Count(3, j) = Long(b0 * scatter(random));
  }
  for (int k = 1; k <= 20; ++k) {
    const double concentration = 0.05 * std::pow(1.6, k - 1);
    s.STD_Data(3 + k, 0) = concentration;
    const double bound = nsb + (b0 - nsb) / (1 + std::pow(concentration / 5, 0.9));
    for (int j = 1; j <= 10; ++j) s.STD_Count(3 + k, j) = Long(bound * scatter(random));
  }
  s.Sera_Number = 20;
  s.Sera_Tubes = 10;
  s.Sample_Number = Max_Samples;
  s.Sample_Tubes = 10;
  s.Dilution_Factor = 2;
  std::uniform_real_distribution<double> response(nsb * 0.9, b0 * 1.02);
  for (int i = 1; i <= 20; ++i)
    for (int j = 1; j <= 10; ++j) s.Sera_Count(i, j) = Long(response(random));
  for (Long i = 1; i <= Max_Samples; ++i)
    for (int j = 1; j <= 10; ++j) s.Sample_Count(i, j) = Long(response(random));
  Treatment_Standard(s);
  s.Fit_From = 1;
  s.Fit_To = 20;
  Regression(s);
  s.Weight_Type = 3;
  s.Reg_Order = 3;
  s.Plot_Stage = 2;
}

double peak_megabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

}  // namespace

int main() {
  ui::Scripted_Platform platform;
  Program program(platform);
  program.load(Screen::Conditions);  // the result file begins with its boxes
  fill_largest_assay(program.state);
  program.show(Screen::Result);
  auto& screen = *program.screen_as<Reg_Result>(Screen::Result);
  program.state.Screen_No = 4;

  const double show_ms = bench::median_ms(5, [&] { screen.Command[target::Sample_Table].on_click(); });
  bench::report("sample table from the button (1.1 million rows)", show_ms, 500);
  const double table_ms = bench::median_ms(5, [&] { Sample_Disp(program); });
  bench::report("  of which Sample_Disp (rows, scroll range, page)", table_ms, 500);

  std::mt19937 random(2);
  std::uniform_int_distribution<int> any_page(0, screen.VScroll1.max);
  const double page_ms = bench::median_ms(201, [&] { screen.VScroll1.set_value(any_page(random)); });
  bench::report("turning to a page", page_ms, 10);
  screen.VScroll1.set_value(screen.VScroll1.max);
  std::printf("check: last page %d, last row \"%s\" \"%s\"\n", screen.VScroll1.max,
              screen.Label1[Reg_Result::Page_Rows - 1].caption.c_str(),
              screen.Label1[2 * Reg_Result::Page_Rows - 1].caption.c_str());

  const std::string path = (std::filesystem::temp_directory_path() / "quorin_results_bench.txt").string();
  const double file_ms = bench::median_ms(5, [&] {
    platform.file_answers.push_back(path);
    screen.Command[target::Save].on_click();
  });
  bench::report("result file (build and save)", file_ms, 1000);
  std::printf("check: %s, %.1f MB, \"%s\"\n", path.c_str(), std::filesystem::file_size(path) / 1e6,
              platform.messages.back().c_str());
  std::filesystem::remove(path);

  std::printf("peak memory of the process: %.0f MB (goal 300 MB)\n", peak_megabytes());
  return 0;
}
