#pragma once
// The tests' other end of the HL7 messages: hl7_peer.py, written with python-hl7, reads message
// files and listens as an LIS on a local port. Its lines give each field as python-hl7 reads it.

#include <sys/types.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace quorin::testing {

// One message as python-hl7 read it: its fields by name (see hl7_peer.py) and its notes.
struct Read_Message {
  std::map<std::string, std::string> fields;
  std::vector<std::string> notes;
  const std::string& operator[](const std::string& name) const { return fields.at(name); }
};

// The messages of an HL7 file.
std::vector<Read_Message> read_hl7_file(const std::string& path);

// The messages a listener has logged.
std::vector<Read_Message> read_peer_log(const std::string& log);

// A listener answering by `mode` (see hl7_peer.py), on `port` or a free one; stopped when it goes.
class Listener {
 public:
  Listener(const std::string& mode, const std::string& log, int port = 0, int count = 0);
  ~Listener() { stop(); }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;
  int port() const { return port_; }
  void stop();

 private:
  FILE* out_ = nullptr;  // its standard output, which first tells its port and process ID
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace quorin::testing
