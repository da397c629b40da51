#include <algorithm>

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
// beside the value, and after them "仮定" where the interval rests on an assumption.
constexpr const char* Header =
    "種別,番号,ID,平均濃度,95%下限,95%上限,単位,希釈補正値,サンプル値95%下限,サンプル値95%上限,95%区間の前提,"
    "CV(%),有効チューブ数,フラグ,検量線,測定物質,アッセイNo,測定日";

// A number at full precision (up to 15 significant digits), "" for none.
std::string number(const std::optional<double>& value) { return value ? text::Format(*value, "") : ""; }

// ",lower,upper" at full precision (up to 15 significant digits), ",," for none: written straight
// into the file's text, as they stand on every row of the largest assays.
void append_bounds(std::string& csv, const std::optional<Concentration_Interval>& interval) {
  char cells[2 * text::General_Number_Size + 2];
  char* end = cells;
  *end++ = ',';
  if (interval) end = text::shortest_number_to(end, interval->lower);
  *end++ = ',';
  if (interval) end = text::shortest_number_to(end, interval->upper);
  csv.append(cells, end);
}

}  // namespace

std::string results_csv(const Assay_State& state, bool intervals) {
  const std::string unit = text::csv_text_field(text::Text_Clean(state.Unit_Name));
  const std::string curve = text::csv_text_field(result_curve_name(state));
  std::string assay;
  for (const std::string* field : {&state.Substance_Name, &state.Assay_No, &state.Assay_Date})
    assay += "," + text::csv_text_field(text::Text_Clean(*field));
  std::string csv = "\xEF\xBB\xBF" + std::string(Header) + "\r\n";
  // Under 200 bytes a row with its intervals: the text is made in one piece, never moved as it grows.
  csv.reserve(200 * static_cast<std::size_t>(std::max<Long>(0, state.Sample_Number) + Max_Sera + Max_Standards));
  for_each_export_row(
      state, flag_limits(state),
      [&](const Export_Row& r) {
        csv += std::string(export_kind_name(r.kind)) + "," + text::bare_text(r.number) + "," +
               text::csv_text_field(r.id) + "," + number(r.mean);
        append_bounds(csv, r.interval);
        csv += "," + unit + "," + number(r.value);
        append_bounds(csv, r.value_interval);
        csv += std::string(",") + interval_premise(r.interval) + "," + number(r.cv) + "," + text::bare_text(r.usable) +
               "," + text::csv_text_field(flags_text(r.flags)) + "," + curve + assay + "\r\n";
      },
      intervals);
  return csv;
}

std::string save_results_csv(const Assay_State& state, const std::string& path) {
  if (std::string refusal = export_refusal(state); !refusal.empty()) return refusal;
  return text::save_file(path, results_csv(state));
}

}  // namespace quorin
