#include "qc/qc_copy.h"

#include "qc/history_store.h"
#include "text/format.h"
#include "text/same_file.h"

namespace quorin::qc {

Copy_Result copy_history(const std::string& from, const std::string& to) {
  if (from == to || (!is_server_uri(from) && !is_server_uri(to) && text::same_file(from, to)))
    return {false, "写し元と写し先が同じです: " + shown_history(to)};
  History_Store source, target;
  History_Records records;
  Db_Outcome outcome = source.open(from, Connection::Mode::Read);
  if (outcome) outcome = source.all_records(records);
  if (!outcome) return {false, history_message(from, outcome)};
  const auto& [runs, deleted, targets] = records;
  if (outcome = target.open(to, Connection::Mode::Write); !outcome) return {false, history_message(to, outcome)};

  // Each record goes by the latest event of its assay (store_step): the order of the steps and
  // of the copies does not matter, and a second copy finds nothing to do.
  int added = 0, replaced = 0, deletions = 0, kept = 0;
  for (const Deleted_Run& deletion : deleted) {
    bool changed = false;
    if (outcome = target.keep_deletion(deletion, changed); !outcome) return {false, history_message(to, outcome)};
    deletions += changed;
  }
  for (const QC_Run& run : runs) {
    Save_Receipt receipt;
    if (outcome = target.copy_run(run, receipt); !outcome) return {false, history_message(to, outcome)};
    if (!receipt.unchanged) ++(receipt.replaced ? replaced : added);
  }
  for (const Target_Entry& entry : targets) {
    bool changed = false;
    if (outcome = target.copy_target(entry, changed); !outcome) return {false, history_message(to, outcome)};
    kept += changed;
  }
  return {true, "精度管理の履歴を写しました: " + shown_history(from) + " → " + shown_history(to) + " (全 " +
                    text::bare_text(static_cast<long long>(runs.size())) + " 回のうち 新しく " +
                    text::bare_text(added) + " 回、置き換え " + text::bare_text(replaced) + " 回; 目標値 " +
                    text::bare_text(kept) + " 件; 削除の記録 " + text::bare_text(deletions) + " 件)"};
}

}  // namespace quorin::qc
