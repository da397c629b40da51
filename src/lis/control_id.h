#pragma once
// Message control IDs (MSH-10): 20 characters of 0-9 and A-Z that no other message of this or any
// station ever had, so that an LIS may drop a message it has seen by its ID alone. Each series
// begins with the time it was made (seconds, 7 characters) and 7 random characters, then counts
// its messages (6 characters): a series of a later run, of a restarted program or of another
// station differs in its first 14 characters. A message keeps its ID when it is sent again.

#include <cstdint>
#include <string>

namespace quorin::lis {

class Control_Ids {
 public:
  Control_Ids();
  // The next ID of the series.
  std::string next();

 private:
  std::string prefix_;
  std::uint64_t count_ = 0;
};

}  // namespace quorin::lis
