#include "qc/audit.h"

#include <pwd.h>
#include <unistd.h>

#include <charconv>
#include <map>

#include "qc/sha256.h"
#include "text/format.h"

namespace quorin::qc {

namespace {

std::string curve_record(const Run_Curve& curve) {
  return curve_kind_key(curve.kind) + "," + text::bare_text(curve.weighting) + "," + text::bare_text(curve.order) +
         "," + text::bare_text(curve.std_from) + "," + text::bare_text(curve.std_to);
}

}  // namespace

std::string exact_text(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

std::string os_user() {
  const passwd* user = getpwuid(geteuid());
  return user != nullptr && user->pw_name != nullptr ? user->pw_name : std::to_string(geteuid());
}

std::string audit_action_text(const std::string& action) {
  static const std::map<std::string, std::string> texts = {
      {Audit_Save, "測定を保存"},
      {Audit_Replace, "測定を置き換え"},
      {Audit_Delete, "測定を削除"},
      {Audit_Sent, "送信済みの測定を送信待ちから除く"},
      {Audit_Target_Enter, "目標値を入力"},
      {Audit_Target_Clear, "目標値を計算値に戻す"},
      {Audit_Target_Keep, "削除前の目標値を保持"},
      {Audit_Copy_Run, "写しで測定を追加・置き換え"},
      {Audit_Copy_Delete, "写しで削除を追加"},
      {Audit_Copy_Target, "写しで目標値を追加・置き換え"},
      {Audit_Migrate, "履歴を新しい版に移行 (監査証跡の始まり)"},
      {Audit_Existing_Run, "移行時にあった測定"},
      {Audit_Existing_Target, "移行時にあった目標値"},
      {Audit_Existing_Deletion, "移行時にあった削除の記録"},
  };
  const auto found = texts.find(action);
  return found == texts.end() ? action : found->second;
}

Audit_Row audit_row(const char* action, const std::string& substance, const std::string& assay_no,
                    const std::string& date_key, const std::string& before, const std::string& after,
                    const std::string& reason, int serum) {
  Audit_Row row;
  row.at = utc_now();
  row.user = os_user();
  row.station = station_name();
  row.action = action;
  row.substance = substance, row.assay_no = assay_no, row.date_key = date_key;
  row.serum = serum;
  row.before = before, row.after = after, row.reason = reason;
  return row;
}

std::string audit_hash(const Audit_Row& row) {
  // Each field with its length first, so that no two different rows give the same bytes.
  std::string bytes;
  for (const std::string* field : {&row.previous, &row.at, &row.user, &row.station, &row.action, &row.substance,
                                   &row.assay_no, &row.date_key, &row.before, &row.after, &row.reason})
    bytes += std::to_string(field->size()) + ":" + *field + "\n";
  bytes += "serum:" + std::to_string(row.serum) + "\n";
  return sha256_hex(bytes);
}

void chain_row(Audit_Row& row, const std::string& previous) {
  row.previous = previous;
  row.hash = audit_hash(row);
}

std::string run_record(const QC_Run& run) {
  std::string sera;
  for (const Serum_Value& value : run.sera)
    sera += (sera.empty() ? "" : ";") + text::bare_text(value.serum) + ":" +
            (value.mean ? exact_text(*value.mean) : "") + "," + exact_text(value.cv) + "," +
            text::bare_text(value.tubes);
  return "date=" + run.assay_date + "|unit=" + run.unit + "|operator=" + run.operator_name +
         "|curve=" + curve_record(run.curve) + "|result_file=" + run.result_file + "|station=" + run.station +
         "|saved_at=" + run.saved_at + "|sera=" + sera;
}

std::string target_record(const Kept_Target& target) {
  return "mean=" + exact_text(target.mean) + "|sd=" + exact_text(target.sd) +
         "|from_runs=" + text::bare_text(target.from_runs) + "|curve=" + curve_record(target.curve) +
         "|entered_at=" + target.entered_at + "|baseline_through=" + target.baseline_through;
}

std::string deletion_record(const Deleted_Run& deleted) {
  return "date=" + deleted.assay_date + "|curve=" + deleted.curve + "|station=" + deleted.station +
         "|saved_at=" + deleted.saved_at + "|sera=" + deleted.sera + "|deleted_by=" + deleted.deleted_by +
         "|deleted_at=" + deleted.deleted_at;
}

std::vector<Audit_Row> migration_rows(int version, const std::vector<QC_Run>& runs,
                                      const std::vector<Target_Entry>& targets,
                                      const std::vector<Deleted_Run>& deletions) {
  std::vector<Audit_Row> rows;
  rows.push_back(audit_row(Audit_Migrate, "", "", "", "version=" + text::bare_text(version),
                           "version=" + text::bare_text(Schema_Version)));
  for (const QC_Run& run : runs)
    rows.push_back(audit_row(Audit_Existing_Run, run.substance, run.assay_no, run.date_key, "", run_record(run)));
  for (const Target_Entry& entry : targets)
    rows.push_back(
        audit_row(Audit_Existing_Target, entry.substance, "", "", "", target_record(entry.target), "", entry.serum));
  for (const Deleted_Run& deleted : deletions)
    rows.push_back(audit_row(Audit_Existing_Deletion, deleted.substance, deleted.assay_no, deleted.date_key, "",
                             deletion_record(deleted), deleted.reason));
  return rows;
}

Chain_Check check_chain(const std::vector<Audit_Row>& rows) {
  std::string previous;
  for (const Audit_Row& row : rows) {
    if (row.previous != previous)
      return {row.id, "前の行のハッシュと合いません (この行の前で行が消されたか、差し込まれました)"};
    if (audit_hash(row) != row.hash) return {row.id, "内容がハッシュと合いません (この行が書き換えられました)"};
    previous = row.hash;
  }
  return {};
}

}  // namespace quorin::qc
