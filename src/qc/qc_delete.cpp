#include "qc/qc_delete.h"

#include <algorithm>

#include "qc/audit.h"
#include "qc/qc_series.h"
#include "text/text_clean.h"

namespace quorin::qc {

std::string deleting_user() { return os_user() + "@" + station_name(); }

Delete_Result delete_stored_run(History_Store& store, const std::string& where, const std::string& substance,
                                const std::string& assay_no, const std::string& date, const std::string& reason) {
  QC_Run run;
  run.substance = text::Text_Clean(substance);
  run.assay_no = text::Text_Clean(assay_no);
  run.assay_date = text::Text_Clean(date);
  run.date_key = date_key(run.assay_date);
  const std::string why = text::Text_Clean(reason);
  if (why.empty()) return {Delete_Result::Kind::Refused, "削除の理由を入力してください"};
  if (const std::string problem = identity_problem(run); !problem.empty())
    return {Delete_Result::Kind::Refused, "削除する測定を指定してください (" + problem + ")"};

  std::vector<QC_Run> runs;
  std::map<int, Kept_Target> kept;
  Db_Outcome outcome = store.runs_of(run.substance, runs);
  if (outcome) outcome = store.kept_targets(run.substance, kept);
  if (!outcome) return {Delete_Result::Kind::Failed, history_message(where, outcome)};
  // The established targets the deletion would move are kept as they are.
  std::vector<QC_Run> after = runs;
  std::erase_if(after, [&run](const QC_Run& r) { return r.same_assay(run); });
  std::map<int, Kept_Target> keep;
  const Series before = make_series(runs, kept);
  // (A provisional one moves with every run anyway.)
  for (const auto& [serum, target] : before.targets) {
    if (target.entered || target.kept || target.provisional()) continue;
    const auto moved = established_target(after, serum);
    if (!moved || moved->mean != target.mean || moved->sd != target.sd)
      keep[serum] = {target.mean,  target.sd, target.runs,
                     target.curve, utc_now(), target.through->first + "\t" + target.through->second};
  }
  // The run as stored, with its sera, goes into the deletions.
  const auto stored = std::find_if(runs.begin(), runs.end(), [&run](const QC_Run& r) { return r.same_assay(run); });
  bool found = false;
  if (outcome = store.delete_run(stored == runs.end() ? run : *stored, deleting_user(), why, keep, found); !outcome)
    return {Delete_Result::Kind::Failed, history_message(where, outcome)};
  const std::string named = run.substance + "  アッセイＮｏ " + run.assay_no + "  実験日 " + run.assay_date;
  if (!found) return {Delete_Result::Kind::Not_Found, "削除する測定が履歴にありません: " + named};
  std::string message = "精度管理の履歴から測定を削除しました: " + named;
  if (!keep.empty()) message += "\n最初の測定から求めた目標値は削除前の値のままです (「計算値に戻す」で計算し直します)";
  return {Delete_Result::Kind::Deleted, message};
}

}  // namespace quorin::qc
