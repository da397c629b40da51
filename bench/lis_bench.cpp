// Timing of sending the largest assay's results to an LIS: 100,000 samples read off the curve,
// one ORU^R01 message each, put in the outbox and sent over MLLP to a listener on this machine
// (a thread of this program that acknowledges each message as it arrives), each acknowledgement
// waited for before the next message goes.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <thread>

#include "bench_assay.h"
#include "bench_timing.h"
#include "engine/regression.h"
#include "engine/result_curve.h"
#include "engine/samples.h"
#include "lis/lis_send.h"
#include "lis/oru_message.h"
#include "results/lis_rows.h"

namespace {

using namespace quorin;

// Accepts connections on `server` and answers every framed message with MSA AA for its control ID.
long acknowledge_all(int server) {
  long answered = 0;
  for (int connection; (connection = ::accept(server, nullptr, nullptr)) >= 0;) {
    std::string received;
    char bytes[65536];
    for (ssize_t n; (n = ::recv(connection, bytes, sizeof bytes, 0)) > 0;) {
      received.append(bytes, static_cast<std::size_t>(n));
      for (std::size_t end; (end = received.find("\x1C\x0D")) != std::string::npos; received.erase(0, end + 2)) {
        std::size_t field = 0;  // MSH-10 follows the ninth "|"
        for (int bar = 0; bar < 9; ++bar) field = received.find('|', field) + 1;
        const std::string id = received.substr(field, received.find('|', field) - field);
        const std::string ack =
            "\x0BMSH|^~\\&|LIS|H|QUORIN|LAB|20261201||ACK|A" + id + "|P|2.5.1\rMSA|AA|" + id + "\r\x1C\x0D";
        if (::send(connection, ack.data(), ack.size(), MSG_NOSIGNAL) < 0) break;
        ++answered;
      }
    }
    ::close(connection);
  }
  return answered;
}

}  // namespace

int main() {
  const auto folder = std::filesystem::temp_directory_path() / "quorin_lis_bench";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  setenv("XDG_DATA_HOME", folder.c_str(), 1);  // the outbox goes there

  auto state = std::make_unique<Assay_State>();
  Assay_State& s = *state;
  bench::fill_largest_assay(s);
  s.Substance_Name = "コルチゾール", s.Assay_No = "C-0142", s.Assay_Date = "2026/12/01", s.Unit_Name = "μg/dL";
  Regression(s);
  Assay_Samples(s, *make_curve_in_force(s).curve);
  s.Sample_Id.assign(static_cast<std::size_t>(s.Sample_Number) + 1, "");
  for (Long i = 1; i <= s.Sample_Number; ++i) {
    char id[16];
    std::snprintf(id, sizeof id, "S-%06ld", static_cast<long>(i));
    s.Sample_Id[static_cast<std::size_t>(i)] = id;
  }
  std::vector<lis::LIS_Result> results;
  const double rows_ms = bench::median_ms(3, [&] { results = lis_rows(s).results; });
  bench::report("100,000 samples' results for the LIS (lis_rows)", rows_ms, 1000);

  const int server = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (::bind(server, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(server, 4) != 0) return 1;
  ::getsockname(server, reinterpret_cast<sockaddr*>(&address), &size);
  long answered = 0;
  std::thread listener([&] { answered = acknowledge_all(server); });
  const lis::LIS_Settings settings{"LAB", "LIS", "HOSPITAL", {"127.0.0.1", ntohs(address.sin_port), 10}};

  lis::Control_Ids ids;
  const double make_ms = bench::median_ms(3, [&] {
    const auto made = lis::make_messages(results, settings, ids, lis::hl7_time(std::time(nullptr)));
    if (!made.problem.empty()) std::printf("%s\n", made.problem.c_str());
  });
  bench::report("make 100,000 ORU^R01 messages", make_ms, 1000);
  lis::Delivery_Report report;
  const double send_ms = bench::median_ms(1, [&] { report = lis::send_results(results, settings); });
  bench::report("queue and send them, each acknowledged", send_ms, 60000);
  ::shutdown(server, SHUT_RDWR);
  ::close(server);
  listener.join();
  std::printf("check: %ld acknowledged, %ld waiting, %ld answered by the listener; %.1f MB outbox file\n",
              report.accepted, report.waiting, answered,
              static_cast<double>(std::filesystem::file_size(
                  folder / "quorin" / "outbox" / ("lis-127.0.0.1-" + std::to_string(settings.link.port) + ".sqlite"))) /
                  1e6);
  for (const std::string& line : report.lines) std::printf("%s\n", line.c_str());
  std::filesystem::remove_all(folder);
  return report.waiting == 0 ? 0 : 1;
}
