#include "qc/qc_audit.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "qc/audit.h"
#include "qc/history_store.h"
#include "text/csv_field.h"
#include "text/format.h"

namespace quorin::qc {

namespace {

constexpr const char* Header =
    "番号,日時(UTC),利用者,端末,操作,測定物質,アッセイNo,実験日,管理血清,変更前,変更後,理由,前の行のハッシュ,ハッシュ";

using text::csv_text_field;

std::string trail_csv(const std::vector<Audit_Row>& rows) {
  std::string csv = std::string(Header) + "\r\n";
  for (const Audit_Row& row : rows) {
    const std::string fields[] = {text::bare_text(row.id),
                                  csv_text_field(row.at),
                                  csv_text_field(row.user),
                                  csv_text_field(row.station),
                                  csv_text_field(audit_action_text(row.action)),
                                  csv_text_field(row.substance),
                                  csv_text_field(row.assay_no),
                                  csv_text_field(row.date_key),
                                  row.serum > 0 ? text::bare_text(row.serum) : "",
                                  csv_text_field(row.before),
                                  csv_text_field(row.after),
                                  csv_text_field(row.reason),
                                  row.previous,
                                  row.hash};
    for (std::size_t f = 0; f < std::size(fields); ++f) csv += (f == 0 ? "" : ",") + fields[f];
    csv += "\r\n";
  }
  return csv;
}

bool is_one_of(const std::string& action, std::initializer_list<const char*> actions) {
  for (const char* one : actions)
    if (action == one) return true;
  return false;
}

std::string run_name(const std::string& substance, const std::string& assay_no, const std::string& date_key) {
  return "測定 " + substance + "  アッセイＮｏ " + assay_no + "  実験日 " + date_key;
}

// The first record that its trail does not account for, "" when all are.
std::string unaccounted(const std::vector<Audit_Row>& rows, const std::vector<QC_Run>& runs,
                        const std::vector<Target_Entry>& targets, const std::vector<Deleted_Run>& deleted) {
  // The last row of each run and of each target: what the record must be now.
  using Run_Key = std::tuple<std::string, std::string, std::string>;
  std::map<Run_Key, const Audit_Row*> last_run;
  std::map<std::pair<std::string, int>, const Audit_Row*> last_target;
  std::map<Run_Key, std::vector<std::string>> deletions;  // the deletions recorded, by run
  for (const Audit_Row& row : rows) {
    if (row.action == Audit_Migrate) continue;
    if (row.serum > 0) {
      last_target[{row.substance, row.serum}] = &row;
      continue;
    }
    const Run_Key key{row.substance, row.assay_no, row.date_key};
    if (is_one_of(row.action, {Audit_Delete, Audit_Copy_Delete, Audit_Existing_Deletion}))
      deletions[key].push_back(row.after);
    if (!(row.action == Audit_Copy_Delete && row.before.empty()) && row.action != Audit_Existing_Deletion)
      last_run[key] = &row;  // a deletion that removed nothing leaves the run as it was
  }
  for (const QC_Run& run : runs) {
    const auto found = last_run.find({run.substance, run.assay_no, run.date_key});
    const std::string name = run_name(run.substance, run.assay_no, run.date_key);
    if (found == last_run.end()) return name + " (監査証跡に記録がありません)";
    if (found->second->after != run_record(run)) return name + " (監査証跡の最後の記録と値が異なります)";
    last_run.erase(found);
  }
  for (const auto& [key, row] : last_run)
    if (!row->after.empty() && !is_one_of(row->action, {Audit_Delete, Audit_Copy_Delete}))
      return run_name(std::get<0>(key), std::get<1>(key), std::get<2>(key)) + " (監査証跡にある測定が履歴にありません)";
  for (const Target_Entry& entry : targets) {
    const auto found = last_target.find({entry.substance, entry.serum});
    const std::string name = "目標値 " + entry.substance + "  Sera " + text::bare_text(entry.serum);
    if (found == last_target.end()) return name + " (監査証跡に記録がありません)";
    if (found->second->after != target_record(entry.target)) return name + " (監査証跡の最後の記録と値が異なります)";
    last_target.erase(found);
  }
  for (const auto& [key, row] : last_target)
    if (!row->after.empty())
      return "目標値 " + key.first + "  Sera " + text::bare_text(key.second) +
             " (監査証跡にある目標値が履歴にありません)";
  for (const Deleted_Run& deletion : deleted) {
    const auto& recorded = deletions[{deletion.substance, deletion.assay_no, deletion.date_key}];
    if (std::find(recorded.begin(), recorded.end(), deletion_record(deletion)) == recorded.end())
      return "削除の記録 " + run_name(deletion.substance, deletion.assay_no, deletion.date_key) +
             " (監査証跡に記録がありません)";
  }
  return "";
}

}  // namespace

Audit_Result audit_history(const std::string& where) {
  History_Store store;
  std::vector<Audit_Row> rows;
  History_Records records;
  Db_Outcome outcome = store.open(where, Connection::Mode::Read);
  if (outcome) outcome = store.audit_trail(rows);
  if (outcome) outcome = store.all_records(records);
  if (!outcome) return {Audit_Result::Kind::Failed, history_message(where, outcome), ""};
  const std::string named = shown_history(where);
  const auto& [runs, deleted, targets] = records;
  if (rows.empty() && (!runs.empty() || !targets.empty() || !deleted.empty()))
    return {Audit_Result::Kind::Failed,
            "この履歴には監査証跡がありません (前の版の履歴です。次に書き込むときに証跡が始まります): " + named, ""};
  Audit_Result result{Audit_Result::Kind::Holds, "", trail_csv(rows)};
  if (const Chain_Check chain = check_chain(rows); !chain.holds()) {
    result.kind = Audit_Result::Kind::Broken;
    result.message = "監査証跡の鎖が途切れています: " + named + " の " + text::bare_text(chain.broken_row) + " 行目 (" +
                     chain.why + ")";
  } else if (const std::string record = unaccounted(rows, runs, targets, deleted); !record.empty()) {
    result.kind = Audit_Result::Kind::Broken;
    result.message = "監査証跡と合わない記録があります: " + named + " の " + record;
  } else {
    result.message = "監査証跡を確かめました: " + named + " (" + text::bare_text(static_cast<long long>(rows.size())) +
                     " 行、鎖は途切れず、すべての記録が証跡と合います)";
  }
  return result;
}

}  // namespace quorin::qc
