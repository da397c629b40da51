#include "lis/link_address.h"

#include <algorithm>

#include "text/format.h"
#include "text/number_text.h"

namespace quorin::lis {

std::string read_link_address(const std::string& text, LIS_Link& link) {
  const std::string wanted = "LIS の宛先は ホスト:ポート (例 lis.lab.example:2575) の形で指定してください: " + text;
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return wanted;
  std::string host = text.substr(0, colon);
  if (host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return wanted;
    host = host.substr(1, host.size() - 2);
  } else if (host.find(':') != std::string::npos) {
    return wanted;  // an IPv6 address stands in brackets
  }
  const bool printable = std::all_of(host.begin(), host.end(), [](unsigned char c) { return c > 0x20 && c < 0x7F; });
  if (!printable || host.size() > 253) return "LIS のホスト名が正しくありません: " + text;
  const std::string port = text.substr(colon + 1);
  const bool digits = !port.empty() && port.size() <= 5 &&
                      std::all_of(port.begin(), port.end(), [](unsigned char c) { return c >= '0' && c <= '9'; });
  const int number = digits ? std::stoi(port) : 0;
  if (number < 1 || number > 65535) return "LIS のポートは 1～65535 の整数で指定してください: " + text;
  link.host = host;
  link.port = number;
  return "";
}

std::string read_link_timeout(const std::string& text, LIS_Link& link) {
  const auto seconds = text::number_only(text);
  if (!seconds || !(*seconds > 0) || *seconds > 3600)
    return "LIS の待ち時間は 0 より大きく 3600 以下の秒数で指定してください: " + text;
  link.timeout_s = *seconds;
  return "";
}

std::string link_name(const LIS_Link& link) {
  const bool bracketed = link.host.find(':') != std::string::npos;
  return (bracketed ? "[" + link.host + "]" : link.host) + ":" + text::bare_text(link.port);
}

}  // namespace quorin::lis
