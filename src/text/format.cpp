#include "text/format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "text/number_text.h"

namespace quorin::text {

namespace {

struct Pattern {
  std::string_view prefix;  // literal characters before the first digit place or point
  std::string_view suffix;  // literal characters after the last digit place
  int integer_places = 0;   // "#" and "0" before the point
  int min_integer = 0;      // integer digits always shown: from the first "0" to the point
  bool point = false;
  int decimals = 0;       // "#" and "0" after the point
  int min_decimals = 0;   // decimals always shown: up to the last "0" after the point
  bool has_zero = false;  // a "0" anywhere
};

Pattern parse(std::string_view p) {
  Pattern r;
  std::size_t i = 0;
  while (i < p.size() && p[i] != '#' && p[i] != '0' && p[i] != '.') ++i;
  r.prefix = p.substr(0, i);
  int first_zero = -1;
  for (; i < p.size() && (p[i] == '#' || p[i] == '0'); ++i) {
    if (p[i] == '0' && first_zero < 0) first_zero = r.integer_places;
    ++r.integer_places;
  }
  if (first_zero >= 0) {
    r.min_integer = r.integer_places - first_zero;
    r.has_zero = true;
  }
  if (i < p.size() && p[i] == '.') {
    r.point = true;
    ++i;
    for (; i < p.size() && (p[i] == '#' || p[i] == '0'); ++i) {
      ++r.decimals;
      if (p[i] == '0') {
        r.min_decimals = r.decimals;
        r.has_zero = true;
      }
    }
  }
  r.suffix = p.substr(i);
  return r;
}

// The magnitude of a value rounded to `decimals` places (halves away from zero) after it was
// taken to 15 significant digits, as the digits of a whole number N = |value| * 10^decimals:
// N is sig[0..count) followed by `zeros` zeros; count == 0 means N == 0.
struct Scaled {
  char sig[17];
  int count = 0;
  long zeros = 0;
};

Scaled scale(double magnitude, int decimals) {
  Scaled r;
  if (magnitude == 0.0) return r;
  // d.dddddddddddddde±x: the 15 significant digits and the decimal exponent.
  char buffer[40];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14);
  char digits[15];
  digits[0] = buffer[0];
  std::memcpy(digits + 1, buffer + 2, 14);
  int exponent = 0;
  const char* e = buffer + 16;  // the 'e'
  std::from_chars(e + (e[1] == '+' ? 2 : 1), written.ptr, exponent);
  const long keep = static_cast<long>(exponent) + 1 + decimals;  // digits of N
  if (keep <= 0) {
    if (keep == 0 && digits[0] >= '5') {
      r.sig[0] = '1';
      r.count = 1;
    }
    return r;
  }
  if (keep >= 15) {
    std::memcpy(r.sig, digits, 15);
    r.count = 15;
    r.zeros = keep - 15;
    return r;
  }
  std::memcpy(r.sig, digits, static_cast<std::size_t>(keep));
  r.count = static_cast<int>(keep);
  if (digits[keep] >= '5') {
    int k = r.count - 1;
    while (k >= 0 && r.sig[k] == '9') r.sig[k--] = '0';
    if (k >= 0) {
      ++r.sig[k];
    } else {  // 99.96 -> 100.0: one more digit
      std::memmove(r.sig + 1, r.sig, static_cast<std::size_t>(r.count));
      r.sig[0] = '1';
      ++r.count;
    }
  }
  return r;
}

char digit_at(const Scaled& n, long index) {
  if (index < 0) return '0';
  return index < n.count ? n.sig[index] : '0';
}

// Appends the shortest text of at most 15 significant digits ("0.5", "1e-05", "1.5e+20").
std::size_t shortest(double value, char* out, std::size_t size) {
  const auto written = std::to_chars(out, out + size, value, std::chars_format::general, 15);
  return static_cast<std::size_t>(written.ptr - out);
}

}  // namespace

std::string Format(double value, std::string_view pattern) {
  if (!std::isfinite(value)) return {};
  if (pattern.empty()) {
    char buffer[40];
    return std::string(buffer, shortest(value == 0.0 ? 0.0 : value, buffer, sizeof buffer));
  }
  const Pattern p = parse(pattern);
  const Scaled n = scale(std::fabs(value), p.decimals);
  const bool zero = n.count == 0;
  if (zero && !p.has_zero && !p.point) return {};

  const long length = n.count + n.zeros;
  const long integer_digits = length > p.decimals ? length - p.decimals : 0;
  // Decimals shown: trailing zeros of "#" places are dropped.
  long shown_decimals = p.decimals;
  while (shown_decimals > p.min_decimals && digit_at(n, length - p.decimals + shown_decimals - 1) == '0')
    --shown_decimals;

  std::string out;
  const long integer_shown = integer_digits > p.min_integer ? integer_digits : p.min_integer;
  out.reserve(p.prefix.size() + p.suffix.size() + static_cast<std::size_t>(integer_shown) +
              static_cast<std::size_t>(shown_decimals) + 2);
  out.append(p.prefix);
  if (value < 0 && !zero) out.push_back('-');
  for (long k = integer_digits; k < p.min_integer; ++k) out.push_back('0');
  if (integer_digits > 0) {
    const long from_sig = integer_digits < n.count ? integer_digits : n.count;
    out.append(n.sig, static_cast<std::size_t>(from_sig));
    out.append(static_cast<std::size_t>(integer_digits - from_sig), '0');
  }
  if (p.point) out.push_back('.');
  for (long k = 0; k < shown_decimals; ++k) out.push_back(digit_at(n, length - p.decimals + k));
  out.append(p.suffix);
  return out;
}

std::string Format_Text(std::string_view text, std::string_view pattern) {
  if (text.empty()) return {};
  if (!starts_with_number(text)) return std::string(text);
  return Format(Val(text), pattern);
}

std::string general_number(double value) {
  if (!std::isfinite(value)) return {};
  if (value == 0.0) return " 0 ";
  char buffer[48];
  char* const digits = buffer + 1;
  std::size_t n = shortest(std::fabs(value), digits, sizeof buffer - 2);
  // No "0" before the point of a value below 1 in magnitude.
  char* start = digits;
  if (n >= 2 && digits[0] == '0' && digits[1] == '.') {
    ++start;
    --n;
  }
  for (std::size_t k = 0; k < n; ++k)
    if (start[k] == 'e') start[k] = 'E';
  --start;
  *start = value < 0 ? '-' : ' ';
  start[n + 1] = ' ';
  return std::string(start, n + 2);
}

std::string significant_text(double value, int digits) {
  if (!std::isfinite(value)) return "";
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
  return buffer;
}

std::string signed_text(long long value) {
  char buffer[24];
  buffer[0] = ' ';
  const auto written = std::to_chars(buffer + 1, buffer + sizeof buffer, value);
  const char* start = value < 0 ? buffer + 1 : buffer;
  return std::string(start, static_cast<const char*>(written.ptr));
}

std::string bare_text(long long value) {
  char buffer[24];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, written.ptr);
}

}  // namespace quorin::text
