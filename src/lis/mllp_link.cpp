#include "lis/mllp_link.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "lis/hl7_ack.h"
#include "lis/hl7_text.h"
#include "lis/link_address.h"
#include "text/format.h"
#include "text/text_file.h"

namespace quorin::lis {

namespace {

constexpr char Start_Block = 0x0B;
constexpr std::string_view End_Block = "\x1C\x0D";
constexpr std::size_t Largest_Ack = std::size_t{1} << 20;

using Clock = std::chrono::steady_clock;

// The milliseconds left before `deadline` for poll(), rounded up so that a wait never ends early.
int left_ms(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : left > 3'600'000 ? 3'600'000 : static_cast<int>(left);
}

// Waits until the socket is ready for `events` or the deadline passes; false when it passed.
bool wait_for(int fd, short events, Clock::time_point deadline) {
  pollfd ready{fd, events, 0};
  for (;;) {
    const int n = ::poll(&ready, 1, left_ms(deadline));
    if (n > 0) return true;
    if (n == 0) return false;
    if (errno != EINTR) return true;  // the call that follows reports the error
  }
}

// Why a connection could not be made or was lost, in Japanese.
std::string link_reason(int error) {
  switch (error) {
    case ECONNREFUSED: return "接続を拒否されました。LIS が動いていないか、ポートが違います";
    case ENETUNREACH: return "ネットワークに到達できません";
    case EHOSTUNREACH: return "ホストに到達できません";
    case ENETDOWN: return "ネットワークが使えません";
    case ECONNRESET:
    case EPIPE: return "相手が接続を切りました";
    case EADDRNOTAVAIL: return "このアドレスには接続できません";
    // A link-local IPv6 address without its interface: the only address connect() calls invalid.
    case EINVAL:
      return "アドレスを使えません。fe80:: で始まるアドレスには [fe80::1%eth0] "
             "のようにインターフェース名を付けてください";
    default: return text::system_reason(error);
  }
}

// The addresses of the host, looked up within the deadline (a name server that does not answer
// holds no one up past it). nullptr with `why` when there are none.
addrinfo* look_up(const LIS_Link& link, Clock::time_point deadline, const std::string& seconds, std::string& why) {
  struct Lookup {
    std::string host, service;
    addrinfo hints{};
    gaicb request{};
  };
  auto* lookup = new Lookup{link.host, std::to_string(link.port)};
  lookup->hints.ai_socktype = SOCK_STREAM;
  lookup->hints.ai_flags = AI_ADDRCONFIG;
  lookup->request.ar_name = lookup->host.c_str();
  lookup->request.ar_service = lookup->service.c_str();
  lookup->request.ar_request = &lookup->hints;
  gaicb* list[] = {&lookup->request};
  int error = ::getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr);
  if (error == 0) error = ::gai_error(&lookup->request);
  for (int ms; error == EAI_INPROGRESS && (ms = left_ms(deadline)) > 0; error = ::gai_error(&lookup->request)) {
    const timespec wait{ms / 1000, (ms % 1000) * 1'000'000L};
    const gaicb* waiting[] = {&lookup->request};
    ::gai_suspend(waiting, 1, &wait);
  }
  if (error == EAI_INPROGRESS) {
    why = "LIS のホスト名 " + link.host + " を " + seconds + " 秒以内に解決できません";
    // A lookup that cannot be stopped still writes into its request when it ends: it is left to
    // it (a few hundred bytes, once per such failure).
    const int cancelled = ::gai_cancel(&lookup->request);
    if (cancelled == EAI_NOTCANCELED) return nullptr;
    if (cancelled == EAI_ALLDONE && ::gai_error(&lookup->request) == 0) ::freeaddrinfo(lookup->request.ar_result);
    delete lookup;
    return nullptr;
  }
  addrinfo* found = lookup->request.ar_result;
  delete lookup;
  if (error == 0) return found;
  const char* reason = error == EAI_NONAME || error == EAI_NODATA ? "その名前のホストはありません"
                       : error == EAI_AGAIN                       ? "名前解決が一時的に失敗しました"
                                                                  : ::gai_strerror(error);
  why = "LIS のホスト名を解決できません: " + link.host + " (" + reason + ")";
  return nullptr;
}

}  // namespace

MLLP_Link::Deadline MLLP_Link::deadline() const {
  return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(link_.timeout_s));
}

std::string MLLP_Link::seconds() const { return text::Format(link_.timeout_s, ""); }

std::string MLLP_Link::name() const { return "LIS " + link_name(link_); }

void MLLP_Link::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  received_.clear();
}

Exchange MLLP_Link::fail(std::string why) {
  close();
  return {Exchange::Kind::Failed, std::move(why)};
}

std::string MLLP_Link::connect(Deadline deadline) {
  std::string why;
  addrinfo* addresses = look_up(link_, deadline, seconds(), why);
  if (addresses == nullptr) return why;
  int error = ETIMEDOUT;
  for (const addrinfo* a = addresses; a != nullptr && fd_ < 0; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      error = errno;
      continue;
    }
    int result = ::connect(fd, a->ai_addr, a->ai_addrlen) == 0 ? 0 : errno;
    if (result == EINPROGRESS && !wait_for(fd, POLLOUT, deadline)) {
      result = ETIMEDOUT;
    } else if (result == EINPROGRESS) {
      socklen_t size = sizeof result;  // the outcome of the connection, now that it is known
      if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &size) != 0) result = errno;
    }
    if (result != 0) {
      ::close(fd);
      error = result;
      continue;
    }
    // Each message waits for its answer: small writes go out at once.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    fd_ = fd;
  }
  ::freeaddrinfo(addresses);
  if (fd_ >= 0) return "";
  if (error == ETIMEDOUT) return name() + " に " + seconds() + " 秒以内に接続できません";
  return name() + " に接続できません (" + link_reason(error) + ")";
}

// What the LIS sent unasked since the last acknowledgement cannot answer the next message: it is
// dropped; a connection the LIS has closed is closed here too.
void MLLP_Link::drop_stale_connection() {
  received_.clear();
  char bytes[4096];
  while (fd_ >= 0) {
    const ssize_t n = ::recv(fd_, bytes, sizeof bytes, MSG_DONTWAIT);
    if (n > 0) continue;
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) close();
    return;
  }
}

Exchange MLLP_Link::exchange(std::string_view message, std::string_view control_id) {
  drop_stale_connection();
  const bool reused = fd_ >= 0;
  const Deadline until = deadline();
  Exchange done = attempt(message, control_id, until);
  // An LIS that closes its connection after each acknowledgement may close it just as the next
  // message goes out on it, unread: that message goes once more, on a new connection, with its ID.
  if (reused && closed_unanswered_) done = attempt(message, control_id, until);
  return done;
}

Exchange MLLP_Link::attempt(std::string_view message, std::string_view control_id, Deadline until) {
  closed_unanswered_ = false;
  if (fd_ < 0)
    if (std::string why = connect(until); !why.empty()) return fail(why);

  std::string frame;
  frame.reserve(message.size() + 3);
  frame.append(1, Start_Block).append(message).append(End_Block);
  for (std::size_t sent = 0; sent < frame.size();) {
    if (!wait_for(fd_, POLLOUT, until))
      return fail(name() + " が " + seconds() + " 秒以内にメッセージを受け取りません");
    const ssize_t n = ::send(fd_, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
    if (n >= 0) sent += static_cast<std::size_t>(n);
    else if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
      closed_unanswered_ = true;
      return fail(name() + " がメッセージの送信中に接続を切りました (" + link_reason(errno) + ")");
    }
  }

  std::size_t end = std::string::npos;
  while ((end = received_.find(End_Block)) == std::string::npos) {
    const bool started = received_.find(Start_Block) != std::string::npos;
    if (received_.size() > Largest_Ack) return fail(name() + " の受領確認 (ACK) が大きすぎます");
    if (!wait_for(fd_, POLLIN, until))
      return fail(started ? name() + " の受領確認 (ACK) が途中のまま " + seconds() + " 秒が過ぎました"
                          : name() + " から " + seconds() + " 秒以内に受領確認 (ACK) が届きません");
    char bytes[4096];
    const ssize_t n = ::recv(fd_, bytes, sizeof bytes, 0);
    if (n > 0) received_.append(bytes, static_cast<std::size_t>(n));
    else if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
      closed_unanswered_ = received_.empty();
      return fail(started ? name() + " の受領確認 (ACK) が途中で切れました (接続が切れました)"
                          : name() + " が受領確認 (ACK) を返さずに接続を切りました");
    }
  }
  // Bytes before the start of the frame (a line feed some senders put between frames) are not part of it.
  const std::size_t start = received_.rfind(Start_Block, end);
  const HL7_Ack ack =
      read_ack(start == std::string::npos ? std::string_view(received_).substr(0, end)
                                          : std::string_view(received_).substr(start + 1, end - start - 1));
  received_.erase(0, end + End_Block.size());
  if (!ack.problem.empty()) return fail(name() + " の受領確認 (ACK) を読めません (" + ack.problem + ")");
  if (ack.control_id != control_id)
    return fail(name() + " の受領確認 (ACK) が別のメッセージ (制御 ID " + shown_text(ack.control_id, 40) +
                ") に対するものです");
  if (accepted(ack)) return {Exchange::Kind::Accepted, ""};
  const std::string code = shown_text(ack.code, 10);
  return {Exchange::Kind::Not_Accepted, name() + " が受け付けませんでした (" + (code.empty() ? "?" : code) +
                                            (ack.text.empty() ? "" : ": ") + shown_text(ack.text) + ")"};
}

}  // namespace quorin::lis
