#include "hl7_peer.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

extern char** environ;

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
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(
      ::popen(("/usr/bin/python3 " + Peer + " read '" + path + "'").c_str(), "r"), ::pclose);
  std::string output;
  char buffer[65536];
  for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) output.append(buffer, n);
  EXPECT_EQ(pipe ? ::pclose(pipe.release()) : -1, 0) << "python-hl7 could not read " << path;
  std::istringstream lines(output);
  return messages_of(lines);
}

std::vector<Read_Message> read_peer_log(const std::string& log) {
  std::ifstream lines(log);
  return messages_of(lines);
}

Listener::Listener(const std::string& mode, const std::string& log, int port, int count) {
  int out[2];
  if (::pipe(out) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  const std::string port_text = std::to_string(port), count_text = std::to_string(count);
  const char* argv[] = {"python3",    Peer.c_str(),      "listen",           log.c_str(),
                        mode.c_str(), port_text.c_str(), count_text.c_str(), nullptr};
  if (posix_spawn(&pid_, "/usr/bin/python3", &actions, nullptr, const_cast<char**>(argv), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  std::unique_ptr<FILE, int (*)(FILE*)> first(::fdopen(out[0], "r"), std::fclose);
  if (!first || std::fscanf(first.get(), "%d", &port_) != 1) port_ = 0;
  EXPECT_GT(port_, 0) << "the listener did not start";
}

void Listener::stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace quorin::testing
