#include <functional>
#include <optional>
#include <string_view>

#include "engine/result_curve.h"
#include "results/export_rows.h"
#include "results/interval_cells.h"
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

// The CSV in pieces of about a megabyte, each handed to `write` once complete: a large export goes
// to the disk while its later rows are being made. Without `intervals` their cells stay empty.
void write_results_csv(const Assay_State& state, bool intervals, const std::function<void(std::string_view)>& write) {
  constexpr std::size_t Piece = std::size_t{1} << 20;
  const std::string unit = text::csv_text_field(text::Text_Clean(state.Unit_Name));
  const std::string curve = text::csv_text_field(result_curve_name(state));
  std::string assay;
  for (const std::string* field : {&state.Substance_Name, &state.Assay_No, &state.Assay_Date})
    assay += "," + text::csv_text_field(text::Text_Clean(*field));
  std::string csv = "\xEF\xBB\xBF" + std::string(Header) + "\r\n";
  csv.reserve(Piece + 4096);
  // The curve in force made once, for the flags and the intervals (a 4PL or 5PL is fitted afresh).
  const Curve_Outcome outcome = make_curve_in_force(state);
  const Flag_Limits limits = flag_limits(state, outcome.curve ? &*outcome.curve : nullptr);
  std::optional<Interval_Cells> cells;
  if (intervals) cells.emplace(state, limits, interval_basis(state, outcome));
  std::size_t row = 0;
  for_each_export_row(
      state, limits,
      [&](const Export_Row& r) {
        csv += std::string(export_kind_name(r.kind)) + "," + text::bare_text(r.number) + "," +
               text::csv_text_field(r.id) + "," + number(r.mean);
        csv += cells ? cells->mean_cells(row) : ",,";
        csv += "," + unit + "," + number(r.value);
        csv += cells ? cells->value_cells(row) : ",,,";
        csv += "," + number(r.cv) + "," + text::bare_text(r.usable) + "," + text::csv_text_field(flags_text(r.flags)) +
               "," + curve + assay + "\r\n";
        ++row;
        if (csv.size() >= Piece) {
          write(csv);
          csv.clear();
        }
      },
      false);
  write(csv);
}

}  // namespace

std::string results_csv(const Assay_State& state) {
  std::string csv;
  write_results_csv(state, true, [&](std::string_view piece) { csv += piece; });
  return csv;
}

std::string save_results_csv(const Assay_State& state, const std::string& path, bool intervals) {
  if (std::string refusal = export_refusal(state); !refusal.empty()) return refusal;
  text::Atomic_File file(path);
  write_results_csv(state, intervals, [&](std::string_view piece) { file.write(piece); });
  return file.commit();
}

}  // namespace quorin
