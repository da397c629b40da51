#include "qc/qc_export.h"

#include "qc/history_store.h"
#include "qc/qc_series.h"
#include "text/csv_field.h"
#include "text/format.h"
#include "text/same_file.h"
#include "text/text_file.h"

namespace quorin::qc {

namespace {

constexpr const char* Header =
    "測定日,アッセイNo,測定物質,単位,管理血清,平均濃度,CV(%),チューブ数,目標平均,目標SD,z,規則,判定,検量線,標準範囲,"
    "目標値の検量線,測定端末";

using text::csv_text_field;

// A number at full precision (up to 15 significant digits), as the result file keeps them.
std::string number(double value) { return text::Format(value, ""); }

}  // namespace

Export_Result export_history(const std::string& history_path, const std::string& csv_path) {
  if (text::same_file(history_path, csv_path))
    return {Export_Result::Kind::Refused, "書き出し先が精度管理の履歴ファイルと同じです: " + csv_path};
  History_Store store;
  std::vector<QC_Run> all;
  Db_Outcome outcome = store.open(history_path, Connection::Mode::Read);
  if (outcome) outcome = store.all_runs(all);
  if (!outcome) return {Export_Result::Kind::Failed, history_message(history_path, outcome)};

  std::string csv = std::string(Header) + "\r\n";
  std::size_t rows = 0;
  for (std::size_t begin = 0; begin < all.size();) {
    std::size_t end = begin;
    while (end < all.size() && all[end].substance == all[begin].substance) ++end;
    std::map<int, Kept_Target> targets;
    if (outcome = store.kept_targets(all[begin].substance, targets); !outcome)
      return {Export_Result::Kind::Failed, history_message(history_path, outcome)};
    const Series series = make_series({all.begin() + begin, all.begin() + end}, targets);
    for (std::size_t r = 0; r < series.runs.size(); ++r) {
      const QC_Run& run = series.runs[r];
      for (const Serum_Value& value : run.sera) {
        const auto target = series.targets.find(value.serum);
        const bool has_target = target != series.targets.end();
        const auto& z = series.z[r][value.serum];
        const std::string fields[] = {csv_text_field(run.assay_date),
                                      csv_text_field(run.assay_no),
                                      csv_text_field(run.substance),
                                      csv_text_field(run.unit),
                                      text::bare_text(value.serum),
                                      value.mean ? number(*value.mean) : "",
                                      number(value.cv),
                                      text::bare_text(value.tubes),
                                      has_target ? number(target->second.mean) : "",
                                      has_target ? number(target->second.sd) : "",
                                      z ? text::Format(*z, "0.000") : "",
                                      csv_text_field(serum_rules_text(series.checks[r], value.serum, " ")),
                                      csv_text_field(run_verdict_text(series, r)),
                                      csv_text_field(curve_name(run.curve)),
                                      csv_text_field(curve_range_text(run.curve)),
                                      has_target ? csv_text_field(curve_text(target->second.curve)) : "",
                                      csv_text_field(run.station)};
        for (std::size_t f = 0; f < std::size(fields); ++f) csv += (f == 0 ? "" : ",") + fields[f];
        csv += "\r\n";
        ++rows;
      }
    }
    begin = end;
  }
  if (const std::string failure = text::save_file(csv_path, csv); !failure.empty())
    return {Export_Result::Kind::Failed, failure};
  return {Export_Result::Kind::Written, "精度管理の履歴を書き出しました: " + csv_path + " (" +
                                            text::bare_text(static_cast<long long>(all.size())) + " 回, " +
                                            text::bare_text(static_cast<long long>(rows)) + " 行)"};
}

}  // namespace quorin::qc
