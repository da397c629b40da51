#include "results/lis_rows.h"

#include <cmath>

#include "results/export_rows.h"
#include "text/format.h"

namespace quorin {

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
    else result.no_value_reason = r.usable == 0 ? "使えたチューブがありません" : "濃度を読めません";
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
