// Timing of the results at the largest assay: 20 standards x 10 tubes and 100,000 samples x 10
// tubes read off the cubic. Showing the sample table from the button press (Assay_Samples and
// Sample_Disp, 1.1 million rows), turning to pages across the table, writing the result file,
// a key press in the data sheet with the table open, and the peak memory of the whole process.

#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <tuple>

#include "bench_assay.h"
#include "bench_timing.h"
#include "data/reg_data.h"
#include "engine/regression.h"
#include "engine/treatment_standard.h"
#include "navigation/navigation.h"
#include "results/reg_result.h"
#include "results/result_export.h"
#include "results/results_procedures.h"
#include "state/basis.h"
#include "state/current_results.h"
#include "state/program.h"
#include "ui/scripted_platform.h"

namespace {

using namespace quorin;

// The largest assay with its curves fitted and the logit-corrected cubic chosen.
void fill_fitted_assay(Assay_State& s) {
  bench::fill_largest_assay(s);
  Regression(s);
  s.Weight_Type = 3;
  s.Reg_Order = 3;
  s.Plot_Stage = Curve_Stage::Curves;
  s.Curve_Basis = basis_digest(s, Basis::Curve);  // as the curve screen leaves it once drawn
}

std::string save_results_csv_of(Assay_State& s, const std::string& path) { return save_results_csv(s, path); }
std::string save_results_xlsx_of(Assay_State& s, const std::string& path) { return save_results_xlsx(s, path); }

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
  fill_fitted_assay(program.state);
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

  // The exports of every standard, serum and sample, with their flags and identifiers.
  program.state.Sample_Id.assign(Max_Samples + 1, "P-000000");
  // An export writes only tables computed from the state in force, as the screen's buttons bring them.
  for (const Result_Kind kind : {Result_Kind::Standard_Conc, Result_Kind::Sera, Result_Kind::Sample})
    Bring_Table_Up_To_Date(program, kind);
  const double before_exports = peak_megabytes();
  for (const auto& [what, name, save] :
       {std::tuple{"CSV export (build and save)", "quorin_results_bench.csv", &save_results_csv_of},
        std::tuple{"Excel export (build and save)", "quorin_results_bench.xlsx", &save_results_xlsx_of}}) {
    const std::string export_path = (std::filesystem::temp_directory_path() / name).string();
    std::string told;
    bench::report(what, bench::median_ms(3, [&] { told = save(program.state, export_path); }), 5000);
    std::printf("check: %.1f MB %s\n", std::filesystem::file_size(export_path) / 1e6, told.c_str());
    std::filesystem::remove(export_path);
  }
  std::printf("peak memory before the exports %.0f MB, after them %.0f MB\n", before_exports, peak_megabytes());

  // A key press in the data sheet as the window system runs it: the handler, then the checks that
  // follow every event (the result table, the curve and the other windows against the revision
  // in force), with the sample table open behind the sheet.
  Command_Exec(program, target::Data_Sheet);
  auto& sheet = *program.screen_as<Reg_Data>(Screen::Data);
  auto key_press = [&](int key) {
    ui::Desktop::Event_Scope scope(program.desktop);
    sheet.Text1.on_key_down(key, 0);
  };
  bench::report("key press in the sheet: the cursor down a row", bench::median_ms(21, [&] { key_press(ui::Key_Down); }),
                50);
  bench::report("key presses in the sheet: a digit, then Enter",
                bench::median_ms(21,
                                 [&] {
                                   key_press('5');
                                   // Moved in: GCC 12 takes a char* assignment here for an overlapping copy.
                                   sheet.Text1.text = std::string(1, '5');
                                   key_press(ui::Key_Return);
                                 }),
                50);

  std::printf("peak memory of the process: %.0f MB (goal 300 MB)\n", peak_megabytes());
  return 0;
}
