// Timing of the 95 % intervals at the largest assay (20 standards, 20 sera and 100,000 samples x
// 10 tubes), on the curves that cost the most to read: the cubic with distance and logit-transform
// weighting, the line, the 4PL and the 5PL by counting statistics. For each: the basis made once,
// every row's interval one after another (the cost per row) and as whole tables on every core, and
// the CSV export built and saved with its intervals and with their cells left empty, with the
// ratio of the two.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench_assay.h"
#include "bench_timing.h"
#include "engine/concentration_interval.h"
#include "engine/fitness.h"
#include "engine/regression.h"
#include "engine/result_flags.h"
#include "engine/samples.h"
#include "results/result_export.h"
#include "results/result_table.h"
#include "state/basis.h"
#include "text/format.h"
#include "text/text_file.h"

namespace {

using namespace quorin;

struct Curve_Case {
  const char* name;
  int kind;
  int weighting;
  int order;
};

// Every row's kind, number and flags, as the export has them at hand.
struct Row {
  Result_Kind kind;
  Long item;
  unsigned flags;
};

std::vector<Row> export_rows(const Assay_State& s, const Curve_In_Force& curve) {
  std::vector<Row> rows;
  const Flag_Limits limits = flag_limits(s, &curve);
  for (const Result_Kind kind : {Result_Kind::Standard_Conc, Result_Kind::Sera, Result_Kind::Sample})
    for (Long i = 1; i <= item_count(s, kind); ++i) rows.push_back({kind, i, item_flags(s, kind, i, limits)});
  return rows;
}

}  // namespace

int main() {
  auto state = std::make_unique<Assay_State>();
  Assay_State& s = *state;
  bench::fill_largest_assay(s);
  Regression(s);
  const std::string path = (std::filesystem::temp_directory_path() / "quorin_interval_bench.csv").string();

  const Curve_Case cases[] = {{"logit-log cubic, distance + logit correction", Logit_Log, 3, 3},
                              {"logit-log line, logit correction", Logit_Log, 2, 1},
                              {"4PL, counting statistics", Four_PL, 1, 1},
                              {"5PL, counting statistics", Five_PL, 1, 1}};
  for (const Curve_Case& c : cases) {
    std::printf("%s\n", c.name);
    s.Curve_Model = static_cast<Integer>(c.kind);
    s.Model_Weight = static_cast<Integer>(c.weighting);
    s.Weight_Type = static_cast<Integer>(c.weighting);
    s.Reg_Order = static_cast<Integer>(c.order);
    const Curve_In_Force curve = *make_curve_in_force(s).curve;
    Fitness_Examination(s, curve);
    Control_Sera(s, curve);
    Assay_Samples(s, curve);
    const std::vector<Row> rows = export_rows(s, curve);

    Interval_Basis basis;
    bench::report("  the basis, once", bench::median_ms(101, [&] { basis = interval_basis(s, curve); }), 1);
    long given = 0;
    const double rows_ms = bench::median_ms(7, [&] {
      given = 0;
      for (const Row& r : rows) given += item_interval(s, basis, r.kind, r.item, r.flags).has_value();
    });
    bench::report("  every row's interval, one after another", rows_ms, 100);
    std::printf("  per row %.0f ns; %ld of %zu rows have an interval\n", rows_ms * 1e6 / rows.size(), given,
                rows.size());
    const Flag_Limits limits = flag_limits(s, &curve);
    auto tables = [&] {
      std::vector<std::vector<std::optional<Concentration_Interval>>> all;
      for (const Result_Kind kind : {Result_Kind::Standard_Conc, Result_Kind::Sera, Result_Kind::Sample})
        all.push_back(table_intervals(s, basis, kind, limits));
      return all;
    };
    bench::report("  the three tables' intervals on every core", bench::median_ms(7, tables), 100);

    // The export as it is, with both bounds of the mean and of the value on every row, against
    // the same export with those cells left empty.
    for (const Result_Kind kind : {Result_Kind::Standard_Conc, Result_Kind::Sera, Result_Kind::Sample})
      s.Result_Basis(static_cast<std::size_t>(kind)) = basis_digest(s, Basis::Results);
    const double without_ms = bench::median_ms(7, [&] { save_results_csv(s, path, false); });
    bench::report("  CSV export without the intervals (build and save)", without_ms, 5000);
    std::string told;
    const double with_ms = bench::median_ms(7, [&] { told = save_results_csv(s, path); });
    bench::report("  CSV export with the intervals (build and save)", with_ms, 1.2 * without_ms);
    std::printf("    ratio %.3f (goal at most 1.2), %.1f MB %s\n", with_ms / without_ms,
                std::filesystem::file_size(path) / 1e6, told.c_str());
    const auto sample = item_interval(s, basis, Result_Kind::Sample, 1, rows[40].flags);
    std::printf("check: sample 1 mean %.6g, interval %s\n", s.Sample_Data(1, Sample_Column::Mean),
                sample ? (text::Format(sample->lower, "") + " .. " + text::Format(sample->upper, "")).c_str() : "none");
  }
  std::filesystem::remove(path);
  return 0;
}
