#include "qc/qc_copy.h"

#include <map>
#include <tuple>

#include "qc/history_store.h"
#include "text/format.h"
#include "text/same_file.h"

namespace quorin::qc {

Copy_Result copy_history(const std::string& from, const std::string& to) {
  if (from == to || (!is_server_uri(from) && !is_server_uri(to) && text::same_file(from, to)))
    return {false, "写し元と写し先が同じです: " + shown_history(to)};
  History_Store source, target;
  std::vector<QC_Run> runs, there;
  Db_Outcome outcome = source.open(from, Connection::Mode::Read);
  if (outcome) outcome = source.all_runs(runs);
  if (!outcome) return {false, history_message(from, outcome)};
  if (outcome = target.open(to, Connection::Mode::Write); outcome) outcome = target.all_runs(there);
  if (!outcome) return {false, history_message(to, outcome)};

  using Key = std::tuple<std::string, std::string, std::string>;
  std::map<Key, std::string> saved_there;
  for (const QC_Run& run : there) saved_there[{run.substance, run.assay_no, run.date_key}] = run.saved_at;
  int added = 0, replaced = 0, targets = 0;
  std::string substance;
  for (const QC_Run& run : runs) {
    const auto found = saved_there.find({run.substance, run.assay_no, run.date_key});
    if (found == saved_there.end() || found->second < run.saved_at) {
      if (outcome = target.store_run(run); !outcome) return {false, history_message(to, outcome)};
      ++(found == saved_there.end() ? added : replaced);
    }
    if (run.substance == substance) continue;
    substance = run.substance;
    std::map<int, Kept_Target> kept;
    if (outcome = source.kept_targets(substance, kept); !outcome) return {false, history_message(from, outcome)};
    for (const auto& [serum, value] : kept)
      if (outcome = target.keep_target(substance, serum, value); !outcome) return {false, history_message(to, outcome)};
    targets += static_cast<int>(kept.size());
  }
  std::vector<Deleted_Run> deleted;
  if (outcome = source.deleted_runs(deleted); !outcome) return {false, history_message(from, outcome)};
  for (const Deleted_Run& deletion : deleted)
    if (outcome = target.keep_deletion(deletion); !outcome) return {false, history_message(to, outcome)};
  return {true, "精度管理の履歴を写しました: " + shown_history(from) + " → " + shown_history(to) + " (全 " +
                    text::bare_text(static_cast<long long>(runs.size())) + " 回のうち 新しく " + text::bare_text(added) +
                    " 回、置き換え " + text::bare_text(replaced) + " 回; 目標値 " + text::bare_text(targets) + " 件; 削除の記録 " +
                    text::bare_text(static_cast<long long>(deleted.size())) + " 件)"};
}

}  // namespace quorin::qc
