#pragma once
// SHA-256 (FIPS 180-4), for the hash chain of the history's audit trail. Small and on its own, as
// no library the program links offers it outside Qt.

#include <string>
#include <string_view>

namespace quorin::qc {

// The digest of `bytes` as 64 lower-case hexadecimal digits.
std::string sha256_hex(std::string_view bytes);

}  // namespace quorin::qc
