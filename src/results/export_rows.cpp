#include "results/export_rows.h"

#include <algorithm>

#include "results/result_table.h"
#include "state/basis.h"

namespace quorin {

const char* export_kind_name(Result_Kind kind) {
  switch (kind) {
    case Result_Kind::Sera: return "管理血清";
    case Result_Kind::Sample: return "サンプル";
    default: return "スタンダード";
  }
}

const char* interval_premise(const std::optional<Concentration_Interval>& interval) {
  return interval && interval->assumed ? "仮定" : "";
}

std::string export_refusal(const Assay_State& s) {
  const std::uint64_t in_force = basis_digest(s, Basis::Results);
  for (const Result_Kind kind : {Result_Kind::Standard_Conc, Result_Kind::Sera, Result_Kind::Sample})
    if (s.Result_Basis(static_cast<std::size_t>(kind)) != in_force)
      return "結果の表を計算した後に、条件、測定値または検量線が変わりました。"
             "標準液濃度・管理血清値・サンプル値の表を計算し直してから保存してください";
  return "";
}

void for_each_export_row(const Assay_State& s, const Flag_Limits& limits,
                         const std::function<void(const Export_Row&)>& row, bool with_intervals) {
  const Interval_Basis basis = with_intervals ? interval_basis(s) : Interval_Basis{};
  for (const Result_Kind kind : {Result_Kind::Standard_Conc, Result_Kind::Sera, Result_Kind::Sample}) {
    const Long items = item_count(s, kind);
    const std::vector<std::optional<Concentration_Interval>> intervals =
        with_intervals ? table_intervals(s, basis, kind, limits)
                       : std::vector<std::optional<Concentration_Interval>>(static_cast<std::size_t>(items) + 1);
    for (Long i = 1; i <= items; ++i) {
      const auto n = static_cast<std::size_t>(i);
      Export_Row r{kind,
                   i,
                   kind == Result_Kind::Sample ? sample_id(s, i) : "",
                   {},
                   {},
                   {},
                   usable_tubes(s, kind, i),
                   item_flags(s, kind, i, limits),
                   intervals[n],
                   {}};
      if (kind == Result_Kind::Sample && r.interval) r.value_interval = diluted(*r.interval, s.Dilution_Factor);
      if (r.usable > 0) {
        switch (kind) {
          case Result_Kind::Standard_Conc:
            r.mean = s.STD_Data(n + 3, STD_Column::Back_Mean);
            r.cv = s.STD_Data(n + 3, STD_Column::Back_CV);
            break;
          case Result_Kind::Sera:
            r.mean = s.Sera_Data(n, Sera_Column::Mean);
            r.cv = s.Sera_Data(n, Sera_Column::Conc_CV);
            break;
          default:
            r.mean = s.Sample_Data(n, Sample_Column::Mean);
            r.value = s.Sample_Data(n, Sample_Column::Value);
            r.cv = s.Sample_Data(n, Sample_Column::Conc_CV);
        }
      }
      row(r);
    }
  }
}

}  // namespace quorin
