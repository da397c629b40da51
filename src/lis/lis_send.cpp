#include "lis/lis_send.h"

#include <filesystem>
#include <memory>

#include "lis/link_address.h"
#include "lis/lis_outbox.h"
#include "lis/mllp_link.h"
#include "lis/oru_message.h"
#include "text/cp932.h"
#include "text/format.h"

namespace quorin::lis {

namespace {

constexpr int Batch = 1000;                // waiting messages read at a time
constexpr std::size_t Refusals_Told = 10;  // messages the LIS did not accept, told one by one

std::string count_text(long n) { return text::bare_text(n); }

// Sends what waits in the open outbox, in order, and counts what is left.
void deliver(LIS_Outbox& outbox, const LIS_Link& link, const Progress& progress, Delivery_Report& report) {
  const std::string name = link_name(link);
  long total = 0;
  if (const qc::Db_Outcome outcome = outbox.waiting_count(total); !outcome) {
    report.failed = true;
    report.lines.push_back(outbox_message(outbox.path(), outcome));
    return;
  }
  if (total > 0 && !outbox.lock_for_sending()) {
    report.waiting = total;
    report.lines.push_back("別のプログラムが LIS " + name + " へ送信中です。送信待ちのメッセージはそちらが送ります");
    return;
  }
  MLLP_Link mllp(link);
  std::vector<std::string> refusals;
  long done = 0;
  bool stop = false;
  std::vector<Waiting_Message> batch;
  for (std::int64_t after = 0; !stop;) {
    if (const qc::Db_Outcome outcome = outbox.waiting_after(after, Batch, batch); !outcome) {
      report.failed = true;
      report.lines.push_back(outbox_message(outbox.path(), outcome));
      break;
    }
    if (batch.empty()) break;
    for (const Waiting_Message& waiting : batch) {
      after = waiting.id;
      // A message no LIS could read (kept by an earlier version of the program, whose names were
      // not checked) would make it drop the connection at every send and hold up all behind it.
      const Exchange exchange = text::valid_utf8(waiting.message.text)
                                    ? mllp.exchange(waiting.message.text, waiting.message.control_id)
                                    : Exchange{Exchange::Kind::Not_Accepted,
                                               "UTF-8 でない文字があるため送りません (送信待ちから手で除いてください)"};
      qc::Db_Outcome kept;
      if (exchange.kind == Exchange::Kind::Accepted) {
        kept = outbox.acknowledged(waiting.id);
        report.accepted += kept ? 1 : 0;
      } else if (exchange.kind == Exchange::Kind::Not_Accepted) {
        refusals.push_back(waiting.message.sample + " (制御 ID " + waiting.message.control_id + "): " + exchange.why);
        kept = outbox.not_accepted(waiting.id, exchange.why);
      } else {
        report.lines.push_back(exchange.why);
        stop = true;
      }
      if (!kept) {
        // Acknowledged but still in the outbox: it would go again (with its ID, which the LIS drops).
        report.failed = true;
        report.lines.push_back(outbox_message(outbox.path(), kept));
        stop = true;
      }
      ++done;
      if (!stop && progress && !progress(done, total)) {
        report.lines.push_back("LIS " + name + " への送信を中止しました");
        stop = true;
      }
      if (stop) break;
    }
  }
  for (std::size_t i = 0; i < refusals.size() && i < Refusals_Told; ++i) report.lines.push_back(refusals[i]);
  if (refusals.size() > Refusals_Told)
    report.lines.push_back("ほかに " + count_text(static_cast<long>(refusals.size() - Refusals_Told)) + " 件を LIS " +
                           name + " が受け付けませんでした");
  if (const qc::Db_Outcome outcome = outbox.waiting_count(report.waiting); !outcome)
    report.waiting = total - report.accepted;
  if (report.accepted > 0 || report.waiting == 0)
    report.lines.push_back("LIS " + name + " へ " + count_text(report.accepted) + " 件を送りました (受領確認済み)");
  if (report.waiting > 0)
    report.lines.push_back("LIS " + name + " への " + count_text(report.waiting) +
                           " 件が送信待ちです。次に送るとき、または quorin --lis-sync " + name + " で送ります");
}

}  // namespace

Delivery_Report send_messages(const std::vector<Outgoing>& messages, const LIS_Link& link, const Progress& progress) {
  Delivery_Report report;
  LIS_Outbox outbox;
  std::string set_aside;
  qc::Db_Outcome outcome = outbox.open(link, set_aside);
  report.set_aside = !set_aside.empty();
  if (outcome) outcome = outbox.queue(messages);
  if (!outcome) {
    report.failed = true;
    if (report.set_aside) report.lines.push_back(set_aside);
    report.lines.push_back(outbox_message(outbox.path(), outcome));
    if (!messages.empty())
      report.lines.push_back("LIS " + link_name(link) + " へ送るメッセージ " +
                             count_text(static_cast<long>(messages.size())) +
                             " 件を送信待ちに残せないため、送りませんでした");
    return report;
  }
  report.queued = static_cast<long>(messages.size());
  deliver(outbox, link, progress, report);
  if (report.set_aside) report.lines.push_back(set_aside);  // last: it asks for a person
  return report;
}

Delivery_Report send_results(const std::vector<LIS_Result>& results, const LIS_Settings& settings,
                             const Progress& progress) {
  const Outgoing_Messages made = make_messages_now(results, settings);
  if (!made.problem.empty()) {
    Delivery_Report report;
    report.failed = true;
    report.lines.push_back("LIS " + link_name(settings.link) + " へ送れません: " + made.problem);
    return report;
  }
  return send_messages(made.messages, settings.link, progress);
}

std::string report_text(const Delivery_Report& report) {
  std::string text;
  for (const std::string& line : report.lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

Progress shown_progress(ui::Platform& platform, const LIS_Link& link) {
  auto shown = std::make_shared<std::unique_ptr<ui::Progress>>();
  return [&platform, shown, title = "LIS " + link_name(link) + " へ送信"](long done, long total) {
    if (!*shown) *shown = platform.start_progress(title, total);
    return !*shown || (*shown)->advance(done);
  };
}

Delivery_Report send_waiting(const LIS_Link& link, const Progress& progress) {
  std::error_code error;
  if (const std::string path = lis_outbox_path(link);
      !path.empty() && !std::filesystem::exists(path, error) && !error) {
    Delivery_Report none;
    none.lines.push_back("LIS " + link_name(link) + " への送信待ちのメッセージはありません");
    return none;
  }
  return send_messages({}, link, progress);
}

}  // namespace quorin::lis
