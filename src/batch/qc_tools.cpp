#include "batch/qc_tools.h"

#include <istream>
#include <ostream>

#include "batch/batch_options.h"
#include "qc/outbox.h"
#include "qc/qc_audit.h"
#include "qc/qc_copy.h"
#include "qc/qc_delete.h"
#include "text/same_file.h"
#include "text/text_file.h"

namespace quorin::batch {

namespace {

int delete_run(const std::vector<std::string>& tool, std::istream& input, std::ostream& errors) {
  const std::string& path = tool[1];
  errors << "削除の理由を入力してください: " << std::flush;
  std::string reason;
  std::getline(input, reason);
  qc::History_Store store;
  // A missing history is not created for a deletion.
  if (const qc::Db_Outcome outcome = store.open(path, qc::Connection::Mode::Read); !outcome) {
    errors << '\n' << qc::history_message(path, outcome) << '\n';
    return Exit_Failed;
  }
  qc::Db_Outcome outcome = store.open(path, qc::Connection::Mode::Write);
  const qc::Delete_Result deleted =
      outcome ? qc::delete_stored_run(store, path, tool[2], tool[3], tool[4], reason)
              : qc::Delete_Result{qc::Delete_Result::Kind::Failed, qc::history_message(path, outcome)};
  errors << '\n' << deleted.message << '\n';
  switch (deleted.kind) {
    case qc::Delete_Result::Kind::Deleted: return Exit_Done;
    case qc::Delete_Result::Kind::Refused: return Exit_Usage;
    default: return Exit_Failed;
  }
}

int sync(const std::vector<std::string>& tool, std::ostream& errors) {
  const std::string& uri = tool[1];
  if (!qc::is_server_uri(uri)) {
    errors << "--qc-sync には履歴サーバーの URI (postgresql://...) を指定してください: " << uri << '\n';
    return Exit_Usage;
  }
  const qc::Send_Report report = qc::send_waiting(uri);
  for (const std::string& line : report.lines) errors << line << '\n';
  for (const std::string& aside : report.set_aside)
    errors << "壊れた送信待ちファイルが残っています: " << aside
           << " (読めなかった記録があるかもしれません。内容を確かめてから削除してください)\n";
  errors << "送信した記録: " << report.sent << " 回分、送信待ち: " << report.waiting << " 回分"
         << (report.outbox_failed ? " (送信待ちファイルを使えません)" : "") << '\n';
  return report.complete() ? Exit_Done : Exit_Failed;
}

int copy(const std::vector<std::string>& tool, std::ostream& errors) {
  const qc::Copy_Result copied = qc::copy_history(tool[1], tool[2]);
  errors << copied.message << '\n';
  return copied.done ? Exit_Done : Exit_Failed;
}

// The trail goes to its file (written whole, never over the history), else to the output; the
// verdict to the errors.
int audit(const std::vector<std::string>& tool, std::ostream& output, std::ostream& errors) {
  if (tool.size() > 2 && !qc::is_server_uri(tool[1]) && text::same_file(tool[1], tool[2])) {
    errors << "書き出し先が精度管理の履歴ファイルと同じです: " << tool[2] << '\n';
    return Exit_Usage;
  }
  const qc::Audit_Result result = qc::audit_history(tool[1]);
  if (result.kind == qc::Audit_Result::Kind::Failed) {
    errors << result.message << '\n';
    return Exit_Failed;
  }
  if (tool.size() > 2) {
    if (const std::string failure = text::save_file(tool[2], result.csv); !failure.empty()) {
      errors << failure << '\n' << result.message << '\n';
      return Exit_Failed;
    }
  } else {
    output << result.csv << std::flush;
  }
  errors << result.message << '\n';
  return result.kind == qc::Audit_Result::Kind::Holds ? Exit_Done : Exit_Trail_Broken;
}

}  // namespace

int run_qc_tool(const std::vector<std::string>& tool, std::istream& input, std::ostream& output, std::ostream& errors) {
  if (tool[0] == "--qc-sync") return sync(tool, errors);
  if (tool[0] == "--qc-copy") return copy(tool, errors);
  if (tool[0] == "--qc-audit") return audit(tool, output, errors);
  return delete_run(tool, input, errors);
}

}  // namespace quorin::batch
