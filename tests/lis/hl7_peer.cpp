#include "hl7_peer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

#include "batch/batch_fixture.h"

namespace quorin::testing {

namespace {

const std::string Peer = QUORIN_SOURCE_DIR "/tests/lis/hl7_peer.py";

std::string from_hex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

std::vector<Read_Message> messages_of(std::istream& lines) {
  std::vector<Read_Message> messages;
  for (std::string line; std::getline(lines, line);) {
    Read_Message message;
    std::istringstream items(line);
    for (std::string item; items >> item;) {
      const std::size_t equals = item.find('=');
      const std::string name = item.substr(0, equals), value = from_hex(item.substr(equals + 1));
      if (name == "note") message.notes.push_back(value);
      else message.fields[name] = value;
    }
    messages.push_back(message);
  }
  return messages;
}

}  // namespace

std::vector<Read_Message> read_hl7_file(const std::string& path) {
  // The system's python (with Debian's python3-hl7), not one a user's PATH may put first.
  // A file it cannot read ends its lines early: the callers count the messages.
  std::istringstream lines(piped("/usr/bin/python3 " + Peer + " read '" + path + "'"));
  return messages_of(lines);
}

std::vector<Read_Message> read_peer_log(const std::string& log) {
  std::ifstream lines(log);
  return messages_of(lines);
}

Listener::Listener(const std::string& mode, const std::string& log, int port, int count) {
  const std::string command = "exec /usr/bin/python3 " + Peer + " listen '" + log + "' " + mode + " " +
                              std::to_string(port) + " " + std::to_string(count);
  out_ = ::popen(command.c_str(), "r");
  if (out_ == nullptr || std::fscanf(out_, "%d %d", &port_, &pid_) != 2) port_ = 0;
  EXPECT_GT(port_, 0) << "the listener did not start";
}

void Listener::stop() {
  if (out_ == nullptr) return;
  if (pid_ > 0) ::kill(pid_, SIGTERM);
  ::pclose(std::exchange(out_, nullptr));  // waits for it to end
}

}  // namespace quorin::testing
