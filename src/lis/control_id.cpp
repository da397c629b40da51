#include "lis/control_id.h"

#include <sys/random.h>

#include <chrono>
#include <random>

namespace quorin::lis {

namespace {

// `value` in base 36, `width` characters, the high ones dropped.
std::string base36(std::uint64_t value, int width) {
  std::string text(static_cast<std::size_t>(width), '0');
  for (int i = width - 1; i >= 0; --i, value /= 36)
    text[static_cast<std::size_t>(i)] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[value % 36];
  return text;
}

std::uint64_t random_bits() {
  std::uint64_t bits = 0;
  // The system's random source; should it fail, the clock's nanoseconds and the address space's
  // randomness still tell two stations apart.
  if (getrandom(&bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits))
    bits = std::random_device{}() ^
           static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  return bits;
}

}  // namespace

Control_Ids::Control_Ids() {
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
  prefix_ = base36(static_cast<std::uint64_t>(seconds), 7) + base36(random_bits(), 7);
}

std::string Control_Ids::next() {
  constexpr std::uint64_t Last = 36ull * 36 * 36 * 36 * 36 * 36 - 1;  // the highest count of 6 characters
  if (count_ == Last) *this = Control_Ids();
  return prefix_ + base36(++count_, 6);
}

}  // namespace quorin::lis
