#pragma once
// Where an LIS listens, as the command line and the settings give it: "HOST:PORT", the host a
// name, an IPv4 address or an IPv6 address in brackets ("[fd00::5]:2575").

#include <string>

#include "lis/lis_result.h"

namespace quorin::lis {

// Reads "HOST:PORT" into link's host and port; returns "" or why it cannot be read
// ("ポートは 1～65535 の整数で指定してください: lis:70000").
std::string read_link_address(const std::string& text, LIS_Link& link);

// Reads a time-out in seconds (above 0, at most 3600) into link's timeout_s; returns "" or why not.
std::string read_link_timeout(const std::string& text, LIS_Link& link);

// The link as messages name it: "lis.lab.example:2575", "[fd00::5]:2575".
std::string link_name(const LIS_Link& link);

}  // namespace quorin::lis
