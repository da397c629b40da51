#pragma once
// Sending results to an LIS: every message goes through the LIS's outbox (lis_outbox.h) and is
// taken out only when acknowledged. Those waiting from earlier go first, in order. A message the
// LIS does not accept (AE, AR) stays waiting and the rest go on; a link that fails (refused,
// timed out, closed, an answer for another message) stops the sending and leaves the rest
// waiting.

#include <functional>
#include <string>
#include <vector>

#include "lis/lis_result.h"
#include "lis/oru_message.h"
#include "ui/platform.h"

namespace quorin::lis {

struct Delivery_Report {
  long queued = 0;    // messages put in the outbox by this call
  long accepted = 0;  // acknowledged by the LIS in this call
  long waiting = 0;   // left in the outbox
  // The outbox could not be used: nothing was sent, the new messages are not kept.
  bool failed = false;
  // A damaged outbox was set aside: what could not be read from it is not sent, and waits for a
  // person (its last line says where it is).
  bool set_aside = false;
  std::vector<std::string> lines;  // for the user, each naming the LIS or the file
  // True when any message is not delivered: failed, set aside or waiting.
  bool undelivered() const { return failed || set_aside || waiting > 0; }
};

// The report's lines as one text, a line each.
std::string report_text(const Delivery_Report& report);

// Told after each message with the messages done and the messages to do; returning false stops
// the sending (the rest wait).
using Progress = std::function<bool(long done, long total)>;

// Puts the messages in the outbox of the LIS and sends them after those waiting.
Delivery_Report send_messages(const std::vector<Outgoing>& messages, const LIS_Link& link,
                              const Progress& progress = {});

// Makes one message per result (they are sent only when every one can be made: see oru_message)
// and sends them.
Delivery_Report send_results(const std::vector<LIS_Result>& results, const LIS_Settings& settings,
                             const Progress& progress = {});

// The progress of a sending to the LIS followed on the platform (shown once it has taken about a
// second), whose cancel stops the sending: the rest wait.
Progress shown_progress(ui::Platform& platform, const LIS_Link& link);

// Sends the messages waiting for the LIS.
Delivery_Report send_waiting(const LIS_Link& link, const Progress& progress = {});

}  // namespace quorin::lis
