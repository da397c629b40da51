// The command-line reduction at the largest assay: 20 standards, 20 control sera and 100,000
// samples, 10 tubes each (1,000,430 counts), fitted by the cubic with both weightings. The
// condition file and the count data file are generated into a temporary folder at run time and
// removed at the end.
//
// Each step is the median of several runs, and is also given as a ratio to the time this machine
// needs to move the same bytes through a plain buffered stream (reading the count file line by
// line, or writing the result file's bytes), so that the figure says little about the load of the
// machine. The goals are those the program is held to at this size. The peak memory is that of a
// child process doing one whole batch run and nothing else.
//
//   ./build/release/bench/batch_bench [--keep FOLDER]
//
// --keep writes the condition file, the count data file and the result file of the largest assay
// into FOLDER (which must exist), so that the result can be compared byte for byte with that of
// another build.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "batch/run_batch.h"
#include "bench_timing.h"
#include "engine/fitness.h"
#include "engine/parallel.h"
#include "engine/regression.h"
#include "engine/samples.h"
#include "engine/treatment_standard.h"
#include "engine/weight_table.h"
#include "navigation/navigation.h"
#include "results/result_file.h"
#include "state/program.h"
#include "text/format.h"
#include "text/text_file.h"
#include "ui/recording_printer.h"
#include "ui/scripted_platform.h"

namespace {

using namespace quorin;
namespace fs = std::filesystem;

constexpr int Runs = 5;
constexpr int Tubes = Max_Tubes;
constexpr double Nsb = 300, Total = 40000, B0 = 12000;

double concentration(int k) { return 0.05 * std::pow(1.6, k - 1); }

// The bound counts of a competitive assay at this concentration (a four-parameter logistic).
double bound(double c) { return Nsb + (B0 - Nsb) / (1 + std::pow(c / 5, 0.9)); }

std::string condition_file() {
  text::Line_Writer out;
  for (const char* field : {"Bench", "2026/12/01", "", "Largest assay", "ng/mL", "B-0001"}) out.line(field);
  for (long count : {Max_Standards, Tubes, Max_Sera, Tubes, static_cast<int>(Max_Samples), Tubes})
    out.line(text::bare_text(count));
  out.line("2.0000");  // dilution factor
  for (int k = 1; k <= Max_Standards; ++k) out.line(text::Format(concentration(k), "###.0000"));
  return out.bytes();
}

// Counts with the Poisson scatter of a gamma counter, in the order of the sheet.
std::string count_file() {
  std::mt19937 random(1);
  text::Line_Writer out;
  auto tubes = [&](double mean) {
    std::poisson_distribution<long> counted(mean);
    for (int j = 0; j < Tubes; ++j) out.ascii(" " + text::bare_text(counted(random)) + " \r\n");
  };
  for (double mean : {Nsb, Total, B0}) tubes(mean);
  for (int k = 1; k <= Max_Standards; ++k) tubes(bound(std::round(concentration(k) * 1e4) / 1e4));
  std::uniform_real_distribution<double> level(0.1, 200);
  for (long item = 0; item < Max_Sera + Max_Samples; ++item) tubes(bound(level(random)));
  return out.bytes();
}

struct Files {
  std::string conditions, counts, result;
};

batch::Batch_Options options_for(const Files& files) {
  batch::Batch_Options options;
  options.conditions = files.conditions;
  options.counts = files.counts;
  options.result = files.result;
  options.weight = 3;
  options.order = 3;
  return options;
}

int run_batch_once(const Files& files) {
  ui::Recording_Printer unused;
  std::ostringstream messages;
  batch::Batch_Platform platform(unused, messages);
  const int status = batch::run_batch(options_for(files), platform);
  if (status != batch::Exit_Done) std::fprintf(stderr, "%s", messages.str().c_str());
  return status;
}

// One whole batch run in a child process of its own; its peak resident memory in megabytes.
double batch_peak_megabytes(const Files& files) {
  const char* self = "/proc/self/exe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::execl(self, self, "--one-run", files.conditions.c_str(), files.counts.c_str(), files.result.c_str(), nullptr);
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return -1;
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

// The program itself, from exec to exit: `quorin --batch` on the largest assay, as a lab runs it.
// Its time in milliseconds and peak resident memory in megabytes, or a time of -1 when it failed.
struct Process_Run {
  double ms = -1;
  double peak_mb = 0;
};

Process_Run run_program(const std::string& program, const Files& files) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    ::execl(program.c_str(), program.c_str(), "--batch", files.conditions.c_str(), files.counts.c_str(),
            files.result.c_str(), "--weight", "3", "--order", "3", nullptr);
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return {};
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  return {took.count(), static_cast<double>(usage.ru_maxrss) / 1024.0};
}

// The durable floor of one run: reading the count file whole and copying the result file's bytes
// to a new file that is synced to the disk, as a save must.
double durable_floor_ms(const Files& files, const std::string& copy) {
  return bench::median_ms(Runs, [&] {
    const std::string counts = text::read_file(files.counts).bytes;
    const std::string result = text::read_file(files.result).bytes;
    const int fd = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, result.data(), result.size()) != static_cast<ssize_t>(result.size()) ||
        ::fsync(fd) != 0 || counts.empty())
      std::printf("the durable floor could not be measured\n");
    if (fd >= 0) ::close(fd);
  });
}

// The plain stream baselines: every line of a file read with std::getline, bytes written with
// std::ofstream::write.
double read_lines_ms(const std::string& path) {
  std::size_t total = 0;
  const double ms = bench::median_ms(Runs, [&] {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) total += line.size();
  });
  if (total == 0) std::printf("baseline read nothing\n");
  return ms;
}

double write_bytes_ms(const std::string& path, const std::string& bytes) {
  const double ms = bench::median_ms(Runs, [&] {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  });
  fs::remove(path);
  return ms;
}

// A goal in milliseconds or as a ratio to the stream baseline; 0 for none.
struct Goal {
  double ms = 0;
  double ratio = 0;
};

void report(const char* step, double ms, double baseline_ms, const char* basis, Goal goal = {}) {
  const double ratio = ms / baseline_ms;
  std::printf("%-44s %9.1f ms  %7.2f x %-14s", step, ms, ratio, basis);
  if (goal.ms > 0) std::printf(" (goal %.0f ms%s)", goal.ms, ms <= goal.ms ? "" : ", MISSED");
  if (goal.ratio > 0) std::printf(" (goal %.0f x%s)", goal.ratio, ratio <= goal.ratio ? "" : ", MISSED");
  std::printf("\n");
}

void time_steps(const Files& files, double read_ms, double write_ms) {
  ui::Scripted_Platform platform;
  Program program(platform);
  Assay_State& state = program.state;
  auto exec = [&](int screen, int target, const std::string& answer = "") {
    if (!answer.empty()) platform.file_answers.push_back(answer);
    state.Screen_No = static_cast<Integer>(screen);
    Command_Exec(program, target);
  };
  program.show(Screen::Conditions);
  exec(1, target::Open_File, files.conditions);
  exec(1, target::Data_Sheet);

  report("loading the count file (and the sheet)",
         bench::median_ms(Runs, [&] { exec(2, target::Open_File, files.counts); }), read_ms, "read", {0, 3});
  exec(2, target::Standard_Curve);
  exec(3, target::Switch_View);
  state.Weight_Type = 3;
  state.Reg_Order = 3;
  report("standard treatment", bench::median_ms(Runs, [&] { Treatment_Standard(state); }), read_ms, "read");
  Weight_Grids grids;
  report("regression and weight table",
         bench::median_ms(Runs,
                          [&] {
                            Regression(state);
                            Weight_Table(state, grids);
                          }),
         read_ms, "read");
  const Curve_In_Force curve = *make_curve_in_force(state).curve;
  report("fitness examination", bench::median_ms(Runs, [&] { Fitness_Examination(state, curve); }), read_ms, "read");
  report("control sera", bench::median_ms(Runs, [&] { Control_Sera(state, curve); }), read_ms, "read");
  report("samples", bench::median_ms(Runs, [&] { Assay_Samples(state, curve); }), read_ms, "read", {60, 0});
  exec(3, target::Results);
  // The samples are computed once, by the button's first press; showing, printing and saving
  // them again only read them.
  report("sample table, first press (computes samples)", bench::median_ms(1, [&] { exec(4, target::Sample_Table); }),
         read_ms, "read");
  report("sample table again (nothing recomputed)", bench::median_ms(Runs, [&] { exec(4, target::Sample_Table); }),
         read_ms, "read", {50, 0});
  report("writing the result file (with fsync)", bench::median_ms(Runs, [&] { exec(4, target::Save, files.result); }),
         write_ms, "write");
  report("  of which building the sections' bytes",
         bench::median_ms(Runs,
                          [&] {
                            text::Line_Writer out;
                            write_result_sections(state, out);
                          }),
         write_ms, "write", {0, 4});
  if (platform.messages.empty() || platform.messages.back() != "データ保存が終了しました")
    std::printf("unexpected message: %s\n", platform.messages.empty() ? "(none)" : platform.messages.back().c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--one-run") return run_batch_once({argv[2], argv[3], argv[4]});
  const fs::path keep = argc == 3 && std::string(argv[1]) == "--keep" ? argv[2] : "";

  char folder_name[] = "/tmp/quorin-batch-bench-XXXXXX";
  if (::mkdtemp(folder_name) == nullptr) return 1;
  const fs::path folder = folder_name;
  const Files files{(folder / "largest.crx").string(), (folder / "largest_counts.txt").string(),
                    (folder / "largest_result.txt").string()};
  int status = 0;
  if (!text::save_file(files.conditions, condition_file()).empty() ||
      !text::save_file(files.counts, count_file()).empty() || run_batch_once(files) != batch::Exit_Done) {
    std::printf("the largest assay could not be reduced\n");
    status = 1;
  } else {
    const std::string result = text::read_file(files.result).bytes;
    std::printf("largest assay: count file %.1f MB, result file %.1f MB\n", fs::file_size(files.counts) / 1e6,
                result.size() / 1e6);
    const double read_ms = read_lines_ms(files.counts);
    const double write_ms = write_bytes_ms((folder / "baseline.txt").string(), result);
    std::printf("baselines: reading the count file %.1f ms, writing the result file %.1f ms\n\n", read_ms, write_ms);
    std::printf("%-44s %12s  %-16s\n", "step (median of 5)", "time", "ratio to stream");
    time_steps(files, read_ms, write_ms);
    const double floor_ms = durable_floor_ms(files, (folder / "floor.txt").string());
    report("whole batch run in this process", bench::median_ms(Runs, [&] { run_batch_once(files); }), floor_ms,
           "durable floor");
    const std::string program = (fs::canonical("/proc/self/exe").parent_path().parent_path() / "quorin").string();
    std::vector<Process_Run> runs;
    for (int run = 0; run < Runs; ++run) runs.push_back(run_program(program, files));
    std::sort(runs.begin(), runs.end(), [](const Process_Run& a, const Process_Run& b) { return a.ms < b.ms; });
    const Process_Run& median = runs[Runs / 2];
    std::printf("\ndurable floor (read the count file, copy the result file with fsync): %.1f ms\n", floor_ms);
    std::printf("%-44s %9.1f ms  %7.2f x durable floor (goal 3 x%s)\n", "quorin --batch, exec to exit", median.ms,
                median.ms / floor_ms, median.ms > 0 && median.ms <= 3 * floor_ms ? "" : ", MISSED");
    std::printf("%-44s %9.0f MB  (goal 80 MB%s)\n", "its peak memory", median.peak_mb,
                median.peak_mb > 0 && median.peak_mb <= 80 ? "" : ", MISSED");
    const double peak = batch_peak_megabytes(files);
    std::printf("%-44s %9.0f MB  (goal 100 MB%s)\n", "peak memory of one batch run", peak,
                peak > 0 && peak <= 100 ? "" : ", MISSED");
    std::printf("cores used for the samples and their lines: %d\n", part_count(Max_Samples, 1));
    if (!keep.empty()) {
      for (const std::string& path : {files.conditions, files.counts, files.result})
        fs::copy_file(path, keep / fs::path(path).filename(), fs::copy_options::overwrite_existing);
      std::printf("kept the largest assay's files in %s\n", keep.c_str());
    }
  }
  fs::remove_all(folder);
  return status;
}
