#include "text/format.h"

#include <cfloat>
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

// A finite nonzero magnitude rounded to 15 significant digits: the digits d[0..count) without
// trailing zeros (count 1..15), the first one not 0, and the decimal exponent of the first one:
// the value is d[0].d[1]d[2]... x 10^exponent.
struct Fifteen_Digits {
  char d[24];
  int count = 0;
  int exponent = 0;
};

// Reads to_chars' scientific text "d.ddde+xx" of `length` bytes into f, keeping every digit.
void read_scientific(const char* text, int length, Fifteen_Digits& f) {
  // The exponent has two or three digits after its sign.
  const int mark = text[length - 4] == 'e' ? length - 4 : length - 5;
  int exponent = (text[mark + 2] - '0') * 10 + (text[mark + 3] - '0');
  if (mark + 4 < length) exponent = exponent * 10 + (text[mark + 4] - '0');
  f.exponent = text[mark + 1] == '-' ? -exponent : exponent;
  f.d[0] = text[0];
  // The digits after the point (at most 16 of them; text and d have room for 17 copied).
  std::memcpy(f.d + 1, text + 2, 17);
  f.count = mark == 1 ? 1 : mark - 1;
}

Fifteen_Digits fifteen_digits(double magnitude) {
  Fifteen_Digits f;
  char text[40] = {};
  // The shortest text that reads back as the value is the cheapest to make, and rounded to 15
  // digits it gives the value's own 15-digit rounding: no half-way point between two 15-digit
  // texts can lie between the value and it, or a text of at most 16 digits closer to the value
  // would have been the shortest. The exceptions: 16 digits ending in 5 (the text may be such a
  // half-way point itself, with the value on either side of it), and values below the normal
  // range, whose texts are too short for the argument. Those take to_chars' exact rounding.
  bool exact = magnitude < DBL_MIN;
  if (!exact) {
    const auto written = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific);
    read_scientific(text, static_cast<int>(written.ptr - text), f);
    exact = f.count == 16 && f.d[15] == '5';
  }
  if (exact) {
    const auto written = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 14);
    read_scientific(text, static_cast<int>(written.ptr - text), f);
  } else if (f.count > 15) {  // 16 or 17 digits, no tie left (see above)
    const bool up = f.d[15] >= '5';
    f.count = 15;
    if (up) {
      int k = 14;
      while (k >= 0 && f.d[k] == '9') --k;
      if (k < 0) {  // 9999999999999996 -> 1000000000000000
        f.d[0] = '1';
        f.count = 1;
        ++f.exponent;
      } else {
        ++f.d[k];
        f.count = k + 1;
      }
    }
  }
  while (f.count > 1 && f.d[f.count - 1] == '0') --f.count;
  return f;
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
  const Fifteen_Digits f = fifteen_digits(magnitude);
  char digits[15];
  std::memcpy(digits, f.d, static_cast<std::size_t>(f.count));
  std::memset(digits + f.count, '0', static_cast<std::size_t>(15 - f.count));
  const long keep = static_cast<long>(f.exponent) + 1 + decimals;  // digits of N
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

// How the shortest text is written: "0.5" or ".5", "1e-05" or "1E-05".
struct Shortest_Style {
  bool zero_before_point;
  char exponent_mark;
};

// Writes the shortest text of at most 15 significant digits of a finite nonzero magnitude, laid
// out as printf's "%.15g" does: plain digits for decimal exponents -4..14, otherwise one digit,
// the point, the other digits and a signed exponent of at least two digits; no trailing zeros
// after the point, no point without digits after it. Returns the end.
char* shortest_text(double magnitude, char* out, Shortest_Style style) {
  const Fifteen_Digits f = fifteen_digits(magnitude);
  const char* const digits = f.d;
  const int count = f.count;
  auto copy = [&out](const char* from, int n) {
    std::memcpy(out, from, static_cast<std::size_t>(n));
    out += n;
  };
  if (f.exponent < -4 || f.exponent >= 15) {
    *out++ = digits[0];
    if (count > 1) {
      *out++ = '.';
      copy(digits + 1, count - 1);
    }
    *out++ = style.exponent_mark;
    *out++ = f.exponent < 0 ? '-' : '+';
    const int exponent = f.exponent < 0 ? -f.exponent : f.exponent;
    if (exponent < 10) *out++ = '0';
    return std::to_chars(out, out + 3, exponent).ptr;
  }
  if (f.exponent < 0) {
    if (style.zero_before_point) *out++ = '0';
    *out++ = '.';
    for (int k = -1; k > f.exponent; --k) *out++ = '0';
    copy(digits, count);
    return out;
  }
  const int integer_digits = f.exponent + 1;
  if (count <= integer_digits) {
    copy(digits, count);
    std::memset(out, '0', static_cast<std::size_t>(integer_digits - count));
    return out + (integer_digits - count);
  }
  copy(digits, integer_digits);
  *out++ = '.';
  copy(digits + integer_digits, count - integer_digits);
  return out;
}

}  // namespace

char* shortest_number_to(char* out, double value) {
  if (!std::isfinite(value)) return out;
  if (value == 0.0) {
    *out = '0';
    return out + 1;
  }
  if (value < 0) *out++ = '-';
  return shortest_text(std::fabs(value), out, {true, 'e'});
}

std::string Format(double value, std::string_view pattern) {
  if (!std::isfinite(value)) return {};
  if (pattern.empty()) {
    char buffer[General_Number_Size];
    return std::string(buffer, shortest_number_to(buffer, value));
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

char* general_number_to(char* out, double value) {
  if (!std::isfinite(value)) return out;
  if (value == 0.0) {
    std::memcpy(out, " 0 ", 3);
    return out + 3;
  }
  *out++ = value < 0 ? '-' : ' ';
  out = shortest_text(std::fabs(value), out, {false, 'E'});
  *out++ = ' ';
  return out;
}

std::string general_number(double value) {
  char buffer[General_Number_Size];
  return std::string(buffer, general_number_to(buffer, value));
}

char* signed_text_to(char* out, long long value) {
  if (value >= 0) *out++ = ' ';
  return std::to_chars(out, out + 20, value).ptr;
}

std::string significant_text(double value, int digits) {
  if (!std::isfinite(value)) return "";
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
  return buffer;
}

std::string signed_text(long long value) {
  char buffer[Signed_Text_Size];
  return std::string(buffer, signed_text_to(buffer, value));
}

std::string bare_text(long long value) {
  char buffer[24];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, written.ptr);
}

}  // namespace quorin::text
