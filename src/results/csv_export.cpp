#include "engine/result_curve.h"
#include "results/export_rows.h"
#include "results/result_export.h"
#include "text/csv_field.h"
#include "text/format.h"
#include "text/text_clean.h"
#include "text/text_file.h"

namespace quorin {

namespace {

// The assay's substance, number and date stand on every row, so that a laboratory system can file
// each row by itself. The 95 % interval of the mean stands beside it, that of the sample value
// beside the value, and what the interval rests on after them.
constexpr const char* Header =
    "種別,番号,ID,平均濃度,95%下限,95%上限,単位,希釈補正値,サンプル値95%下限,サンプル値95%上限,95%区間の根拠,"
    "CV(%),有効チューブ数,フラグ,検量線,測定物質,アッセイNo,測定日";

// A number at full precision (up to 15 significant digits), "" for none.
std::string number(const std::optional<double>& value) { return value ? text::Format(*value, "") : ""; }

// The two bounds as two cells, both empty for none.
std::string bounds(const std::optional<Concentration_Interval>& interval) {
  return interval ? text::Format(interval->lower, "") + "," + text::Format(interval->upper, "") : ",";
}

}  // namespace

std::string results_csv(const Assay_State& state, bool intervals) {
  const std::string unit = text::csv_text_field(text::Text_Clean(state.Unit_Name));
  const std::string curve = text::csv_text_field(result_curve_name(state));
  std::string assay;
  for (const std::string* field : {&state.Substance_Name, &state.Assay_No, &state.Assay_Date})
    assay += "," + text::csv_text_field(text::Text_Clean(*field));
  std::string csv = "\xEF\xBB\xBF" + std::string(Header) + "\r\n";
  for_each_export_row(
      state, flag_limits(state),
      [&](const Export_Row& r) {
        csv += std::string(export_kind_name(r.kind)) + "," + text::bare_text(r.number) + "," +
               text::csv_text_field(r.id) + "," + number(r.mean) + "," + bounds(r.interval) + "," + unit + "," +
               number(r.value) + "," + bounds(r.value_interval) + "," + interval_ground(r.interval) + "," +
               number(r.cv) + "," + text::bare_text(r.usable) + "," + text::csv_text_field(flags_text(r.flags)) + "," +
               curve + assay + "\r\n";
      },
      intervals);
  return csv;
}

std::string save_results_csv(const Assay_State& state, const std::string& path) {
  if (std::string refusal = export_refusal(state); !refusal.empty()) return refusal;
  return text::save_file(path, results_csv(state));
}

}  // namespace quorin
