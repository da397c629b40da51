// Timing of the control-serum history with 1,000 stored runs of three sera: storing one more run
// as a save of the results does (open with its integrity check, one transaction, close),
// judging the assay when its control-serum table opens, and opening the Levey-Jennings chart;
// then the precision profile of the largest assay (100,000 samples of 10 tubes). The history is
// an SQLite file, and also a PostgreSQL database when QUORIN_BENCH_PG holds its URI (an empty
// database, or one a previous run of this program filled).

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_assay.h"
#include "bench_timing.h"
#include "engine/logistic.h"
#include "engine/regression.h"
#include "engine/samples.h"
#include "navigation/navigation.h"
#include "qc/history_store.h"
#include "qc/qc_procedures.h"
#include "qc/reg_profile.h"
#include "qc/reg_qc.h"
#include "state/program.h"
#include "ui/scripted_platform.h"

namespace {

using namespace quorin;

qc::QC_Run run_number(int n) {
  qc::QC_Run run;
  run.substance = "コルチゾール";
  run.assay_no = "C-" + std::to_string(n);
  run.assay_date =
      "20" + std::to_string(20 + n / 300) + "/" + std::to_string(1 + n / 25 % 12) + "/" + std::to_string(1 + n % 25);
  run.date_key = qc::date_key(run.assay_date);
  run.unit = "μg/dL";
  run.curve = {Logit_Log, 0, 1, 1, 8};
  run.fit = qc::curve_text(run.curve);
  run.station = "bench";
  run.result_file = "/home/lab/results/run" + std::to_string(n) + ".txt";
  for (int s = 1; s <= 3; ++s) run.sera.push_back({s, 3.0 * s + 0.01 * (n % 17), 2.0, 2});
  return run;
}

// The three timings on the history `where` (filled to 999 runs first).
void time_history(const std::string& where, const char* kind) {
  std::printf("%s\n", kind);
  {
    qc::History_Store store;
    if (const qc::Db_Outcome outcome = store.open(where, qc::Connection::Mode::Write); !outcome) {
      std::printf("%s\n", qc::history_message(where, outcome).c_str());
      return;
    }
    for (int n = 1; n <= 999; ++n) store.store_run(run_number(n));
  }
  int next = 1000;
  const double store_ms = bench::median_ms(21, [&] {
    qc::History_Store store;
    store.open(where, qc::Connection::Mode::Write);
    store.store_run(run_number(next++));
  });
  bench::report("store one run (1,000 stored, open + transaction)", store_ms, 100);

  ui::Scripted_Platform platform;
  Program program(platform);
  program.qc_history.path = where;
  Assay_State& s = program.state;
  s.Substance_Name = "コルチゾール", s.Assay_No = "C-99999", s.Assay_Date = "2030/01/01";
  s.Sera_Number = 3;
  for (int i = 1; i <= 3; ++i) s.Sera_Data(i, Sera_Column::Mean) = 3.0 * i + 0.5, s.Sera_Tube_N(i) = 2;
  const double judge_ms = bench::median_ms(11, [&] { QC_Verdict_Lines(program); });
  bench::report("judge the assay against them (table opens)", judge_ms, 100);
  const double chart_ms = bench::median_ms(11, [&] { Show_QC_Chart(program, true); });
  bench::report("open the Levey-Jennings chart", chart_ms, 300);
  const auto& chart = *program.screen_as<Reg_QC>(Screen::QC_Chart);
  std::printf("check: %s; %zu drawing operations; history failure \"%s\"\n", chart.Window_Label.caption.c_str(),
              chart.Chart.ops().size(), program.qc_history.failure.c_str());
}

}  // namespace

int main() {
  const std::string path = (std::filesystem::temp_directory_path() / "quorin_qc_bench.sqlite").string();
  std::filesystem::remove(path);
  time_history(path, "SQLite file");
  std::printf("check: %.0f kB\n", std::filesystem::file_size(path) / 1e3);
  std::filesystem::remove(path);
  if (const char* server = std::getenv("QUORIN_BENCH_PG")) time_history(server, "PostgreSQL");

  ui::Scripted_Platform platform;
  Program program(platform);
  Assay_State& s = program.state;
  bench::fill_largest_assay(s);
  Regression(s);
  Assay_Samples(s, *make_curve_in_force(s).curve);
  const double profile_ms = bench::median_ms(5, [&] { Show_Precision_Profile(program); });
  bench::report("precision profile of 100,000 samples (fit + draw)", profile_ms, 500);
  const auto& profile = *program.screen_as<Reg_Profile>(Screen::Profile);
  std::printf("check: %s\n", profile.Summary_Label.caption.c_str());
  return 0;
}
