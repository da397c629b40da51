#pragma once
// Messages waiting for an LIS: an SQLite file per LIS beside the control history's outbox
// (<folder of the default history>/outbox/lis-<host>-<port>.sqlite). A message is put in it,
// whole and with its control ID, before it is sent, and taken out only when the LIS has
// acknowledged it, so a message is never lost, goes out in the order it was made, keeps its ID
// when it is sent again, and is never sent again once acknowledged. A file that is damaged, or is
// not such an outbox, is never written over: it is set aside under a name that says so, and what
// can be read from it waits in a new one.
//
//   messages (id INTEGER PRIMARY KEY: the order of sending, control_id UNIQUE, sample (as messages
//             name it), message (the HL7 text), queued_at (UTC), tries, last_failure)

#include <cstdint>
#include <string>
#include <vector>

#include "lis/lis_result.h"
#include "lis/oru_message.h"
#include "qc/sqlite_db.h"

namespace quorin::lis {

// The outbox file of the LIS, "" when there is no folder for it (HOME not set).
std::string lis_outbox_path(const LIS_Link& link);

struct Waiting_Message {
  std::int64_t id = 0;
  Outgoing message;
};

class LIS_Outbox {
 public:
  LIS_Outbox() = default;
  ~LIS_Outbox();
  LIS_Outbox(const LIS_Outbox&) = delete;
  LIS_Outbox& operator=(const LIS_Outbox&) = delete;

  // Opens the outbox of the LIS (creating it and its folder). A damaged file is set aside and
  // `set_aside` tells the user where it went and what could be read from it. The message of a
  // failure is outbox_message's.
  qc::Db_Outcome open(const LIS_Link& link, std::string& set_aside);
  const std::string& path() const { return path_; }

  // Puts the messages after those waiting, in one transaction.
  qc::Db_Outcome queue(const std::vector<Outgoing>& messages);
  // Up to `count` waiting messages after `after` (an id), in order.
  qc::Db_Outcome waiting_after(std::int64_t after, int count, std::vector<Waiting_Message>& into);
  qc::Db_Outcome waiting_count(long& count);
  // The LIS acknowledged the message: it is taken out.
  qc::Db_Outcome acknowledged(std::int64_t id);
  // The LIS did not accept it: it stays, with why.
  qc::Db_Outcome not_accepted(std::int64_t id, const std::string& why);

  // Only one program sends from an outbox at a time. False when another is sending now (it takes
  // up the messages queued meanwhile); held until the outbox is closed.
  bool lock_for_sending();

 private:
  qc::Db_Outcome open_file();
  qc::Db_Outcome set_aside_damaged(std::string& told, const std::string& name);
  std::string path_;
  qc::Connection db_;
  int lock_fd_ = -1;
};

// "LIS の送信待ちファイルを使えません: <path> (<why>)".
std::string outbox_message(const std::string& path, const qc::Db_Outcome& outcome);

}  // namespace quorin::lis
