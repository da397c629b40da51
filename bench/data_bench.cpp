// The data entry screen at the largest assay: 20 standards, 20 control sera and 100,000 samples,
// 10 tubes each (1,000,430 tubes). The count data file is generated into a temporary folder,
// removed at the end.
//
//   ./build/release/bench/data_bench

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "bench_timing.h"
#include "data/data_procedures.h"
#include "data/reg_data.h"
#include "navigation/navigation.h"
#include "state/program.h"
#include "text/text_file.h"
#include "ui/scripted_platform.h"

namespace {

using namespace quorin;

void set_largest_assay(Assay_State& state) {
  state.STD_Number = Max_Standards;
  state.STD_Tubes = Max_Tubes;
  state.Sera_Number = Max_Sera;
  state.Sera_Tubes = Max_Tubes;
  state.Sample_Number = Max_Samples;
  state.Sample_Tubes = Max_Tubes;
  for (int k = 1; k <= Max_Standards; ++k) state.STD_Data(3 + k, STD_Column::Concentration) = 0.5 * k;
}

// Counts as a gamma counter gives them, one per line.
std::string count_file(long tubes) {
  std::mt19937 random(7);
  std::uniform_int_distribution<long> count(100, 250000);
  std::string bytes;
  for (long k = 0; k < tubes; ++k) bytes += " " + std::to_string(count(random)) + " \r\n";
  return bytes;
}

}  // namespace

int main() {
  char folder_name[] = "/tmp/quorin-data-bench-XXXXXX";
  if (::mkdtemp(folder_name) == nullptr) return 1;
  const std::filesystem::path folder = folder_name;
  std::filesystem::current_path(folder);
  const std::string counts_path = (folder / "counts.txt").string();
  const std::string saved_path = (folder / "saved.txt").string();

  {
    ui::Scripted_Platform platform;
    Program program(platform);
    Assay_State& state = program.state;
    set_largest_assay(state);
    const long tubes = (Max_Standards + 3) * Max_Tubes + Max_Sera * Max_Tubes + Max_Samples * Max_Tubes;
    if (!text::save_file(counts_path, count_file(tubes)).empty()) return 1;
    std::printf("largest assay: %ld tubes, count file %ju bytes\n", tubes,
                static_cast<std::uintmax_t>(std::filesystem::file_size(counts_path)));

    state.Screen_No = 1;
    Command_Exec(program, target::Data_Sheet);
    auto* sheet = program.screen_as<Reg_Data>(Screen::Data);
    if (sheet == nullptr) return 1;

    bench::report("load count file (+ Cell_Set, Treatment_Standard)",
                  bench::median_ms(5,
                                   [&] {
                                     platform.file_answers.push_back(counts_path);
                                     Data_Load(program);
                                   }),
                  1000);
    bench::report("save count file",
                  bench::median_ms(5,
                                   [&] {
                                     platform.file_answers.push_back(saved_path);
                                     sheet->Data_Save();
                                   }),
                  500);
    bench::report("rebuild sheet (Cell_Set)", bench::median_ms(5, [&] { sheet->Cell_Set(); }), 1000);

    sheet->VScroll1.set_value(0);
    sheet->Sheet_Row = 0;
    // The first shift after a rebuild reads pages the system has only just written.
    sheet->Cell_Set();
    bench::report("insert at row 1, first after a rebuild", bench::median_ms(1, [&] { sheet->Command1.on_click(); }),
                  200);
    bench::report("insert at row 1", bench::median_ms(5, [&] { sheet->Command1.on_click(); }), 200);
    bench::report("delete at row 1", bench::median_ms(5, [&] { sheet->Command2.on_click(); }), 200);

    std::mt19937 random(11);
    std::uniform_int_distribution<int> page(0, sheet->VScroll1.max);
    bench::report("page to a random page", bench::median_ms(51, [&] { sheet->VScroll1.set_value(page(random)); }), 10);
    bench::report("type a count and press Enter",
                  bench::median_ms(11,
                                   [&] {
                                     sheet->Text1.on_key_down('5', 0);
                                     sheet->Text1.text = "5";
                                     sheet->Text1.on_key_down(ui::Key_Return, 0);
                                   }),
                  100);
    if (!platform.messages.empty() && platform.messages.back() != "データ保存が終了しました")
      std::printf("message: %s\n", platform.messages.back().c_str());
  }

  std::filesystem::current_path("/");
  std::filesystem::remove_all(folder);
  return 0;
}
