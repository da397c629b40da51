#pragma once
// The link to an LIS by the minimal lower layer protocol (MLLP) over TCP: each message goes out
// framed as 0x0B, the message, 0x1C 0x0D, and the LIS answers each with an acknowledgement framed
// the same way. Every wait (the name lookup, connecting, writing, the acknowledgement) ends at
// the link's time-out; nothing blocks past it.

#include <chrono>
#include <string>
#include <string_view>

#include "lis/lis_result.h"

namespace quorin::lis {

// One message out and its acknowledgement back.
struct Exchange {
  enum class Kind {
    Accepted,      // MSA AA or CA for this message's control ID
    Not_Accepted,  // the LIS answered AE, AR, CE or CR (or a code of its own)
    Failed         // no acknowledgement for it: the link failed, timed out or answered something else
  };
  Kind kind = Kind::Failed;
  std::string why;  // Not_Accepted: the LIS's code and its own text; Failed: what went wrong, naming the LIS
};

class MLLP_Link {
 public:
  explicit MLLP_Link(LIS_Link link) : link_(std::move(link)) {}
  ~MLLP_Link() { close(); }
  MLLP_Link(const MLLP_Link&) = delete;
  MLLP_Link& operator=(const MLLP_Link&) = delete;

  // Sends the message and waits for its acknowledgement. Connects first when there is no
  // connection, or when the LIS has closed it since the last acknowledgement (as some close after
  // each message; a message that meets such a connection closing goes once more). A failure closes the connection, so
  // that a late answer is never read as the acknowledgement of the next message.
  Exchange exchange(std::string_view message, std::string_view control_id);

 private:
  using Deadline = std::chrono::steady_clock::time_point;
  Exchange attempt(std::string_view message, std::string_view control_id, Deadline until);
  std::string connect(Deadline deadline);
  void drop_stale_connection();
  Exchange fail(std::string why);
  void close();
  Deadline deadline() const;
  std::string seconds() const;
  std::string name() const;

  LIS_Link link_;
  int fd_ = -1;
  std::string received_;            // bytes read and not yet taken as a frame
  bool closed_unanswered_ = false;  // the last attempt found the connection closed, nothing answered
};

}  // namespace quorin::lis
