#include "qc/qc_record.h"

#include <algorithm>

#include "qc/history_store.h"
#include "qc/outbox.h"

namespace quorin::qc {

namespace {

using Record = Program::QC_History::Record;

constexpr const char* Kept_Nowhere = "この測定の精度管理の記録はどこにも保存されていません";

std::string named(const QC_Run& run) {
  return run.substance + "  アッセイＮｏ " + run.assay_no + "  実験日 " + run.assay_date;
}

// Asks whether the run may replace the stored run of its assay in `store`; true when there is
// none, when the user says Yes, or on the command line (which tells it afterwards).
bool may_replace(Program& program, History_Store& store, const QC_Run& run) {
  if (!program.qc_history.ask_before_replacing) return true;
  std::vector<QC_Run> runs;
  if (!store.runs_of(run.substance, runs)) return true;  // the save that follows says why
  const auto stored = std::find_if(runs.begin(), runs.end(), [&run](const QC_Run& r) { return r.same_assay(run); });
  if (stored == runs.end()) return true;
  if (program.platform.ask_yes_no_default_no(
          "この測定は精度管理の履歴に保存されています:\n" + named(run) + "\n" + stored->saved_at + " UTC に " +
          (stored->station.empty() ? "(不明な端末)" : stored->station) + " で保存 (結果ファイル " +
          stored->result_file + ")\n今回の結果で置き換えますか？ (置き換える前の値は監査証跡に残ります)"))
    return true;
  program.platform.message("精度管理の履歴の記録は置き換えませんでした (結果ファイルは保存されています)");
  return false;
}

Record record_in_file(Program& program, const QC_Run& run) {
  const std::string& path = program.qc_history.path;
  History_Store store;
  Save_Receipt receipt;
  Db_Outcome outcome = store.open(path, Connection::Mode::Write);
  if (outcome && !may_replace(program, store, run)) return Record::Declined;
  if (outcome) outcome = store.store_run(run, receipt);
  if (!outcome) {
    program.platform.message(history_message(path, outcome) + "\n" + Kept_Nowhere);
    return Record::Nowhere;
  }
  if (receipt.replaced && !program.qc_history.ask_before_replacing)
    program.platform.warning("精度管理の履歴にあった同じ測定の記録を置き換えました: " + named(run) + " (" +
                             receipt.replaced_station + " が " + receipt.replaced_saved_at +
                             " UTC に保存; 置き換えた値は監査証跡に残ります)");
  return Record::Kept;
}

Record record_on_server(Program& program, const QC_Run& run) {
  const std::string& uri = program.qc_history.path;
  {  // Asked only while the server answers: a run that waits is told when it replaces one.
    History_Store server;
    if (server.open(uri, Connection::Mode::Read) && !may_replace(program, server, run)) return Record::Declined;
  }
  std::vector<std::string> lines;
  const Delivery delivery = deliver_run(uri, run, program.qc_history.ask_before_replacing, lines);
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  if (delivery == Delivery::Nowhere) program.platform.message(text);
  else if (!text.empty()) program.platform.warning(text);
  return delivery == Delivery::Kept ? Record::Kept : delivery == Delivery::Waiting ? Record::Waiting : Record::Nowhere;
}

}  // namespace

Record record_run(Program& program, const QC_Run& run) {
  if (const std::string problem = identity_problem(run); !problem.empty()) {
    program.platform.message("精度管理の履歴には記録できません (" + problem + ")\n" + Kept_Nowhere);
    return Record::Nowhere;
  }
  return is_server_uri(program.qc_history.path) ? record_on_server(program, run) : record_in_file(program, run);
}

}  // namespace quorin::qc
