#pragma once
// The results' HL7 messages in a file, for an LIS that takes its results from files: one ORU^R01
// message per result (see oru_message.h), one after another, each segment ended by CR, UTF-8.

#include <string>
#include <vector>

#include "lis/oru_message.h"

namespace quorin::lis {

struct HL7_File_Report {
  bool saved = false;
  long messages = 0;
  std::string message;  // for the user, naming the file
};

// Writes the messages (make_messages_now) into the file, which takes its place only when complete
// (an earlier file stays as it was when anything fails).
HL7_File_Report save_hl7_file(const std::string& path, const std::vector<Outgoing>& messages);

}  // namespace quorin::lis
