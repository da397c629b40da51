#include "results/lis_rows.h"

#include <cmath>

#include "results/export_rows.h"
#include "text/format.h"

namespace quorin {

namespace {

// Why a sample has no value: no tube counted, counts beyond the curve's range on the side its
// flag (OBX-8 "<" or ">") names, or a value that cannot be given.
const char* no_value_reason(const Export_Row& r) {
  if ((r.flags & Flag::No_Tube) != 0) return "使えたチューブがありません";
  if (r.usable == 0 && (r.flags & (Flag::Below | Flag::Above)) != 0) return "検量線の範囲外で濃度を読めません";
  return "濃度を読めません";
}

}  // namespace

LIS_Rows lis_rows(const Assay_State& s) {
  LIS_Rows rows;
  for_each_export_row(s, flag_limits(s), [&](const Export_Row& r) {
    if (r.kind != Result_Kind::Sample) return;
    if (r.id.empty()) {
      ++rows.left_out;
      return;
    }
    lis::LIS_Result result;
    result.number = static_cast<long>(r.number);
    result.id = r.id;
    result.substance = s.Substance_Name;
    result.assay_no = s.Assay_No;
    result.assay_date = s.Assay_Date;
    if (r.value && std::isfinite(*r.value)) result.value = r.value;
    else result.no_value_reason = no_value_reason(r);
    result.unit = s.Unit_Name;
    result.flags = flags_text(r.flags);
    if (r.value_interval)
      result.interval = lis::LIS_Interval{r.value_interval->lower, r.value_interval->upper,
                                          r.value_interval->assumed ? Assumed_Interval_Mark : ""};
    rows.results.push_back(std::move(result));
  });
  return rows;
}

std::string left_out_text(long left_out) {
  return left_out == 0 ? "" : "ID のないサンプル " + text::bare_text(left_out) + " 件は LIS に送りません";
}

}  // namespace quorin
