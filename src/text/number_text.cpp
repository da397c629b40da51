#include "text/number_text.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace quorin::text {

namespace {

constexpr bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Significant mantissa digits kept before the rest is folded into one sticky digit. 800 digits
// are more than any double needs for correct rounding (at most 767 significant digits matter).
constexpr std::size_t Max_Digits = 800;
// Exponents are clamped far beyond the double range so that the arithmetic cannot overflow.
constexpr long Exponent_Limit = 100000;

struct Scan {
  bool negative = false;
  bool has_digits = false;  // at least one mantissa digit: the text begins with a number
  char digits[Max_Digits + 1];
  std::size_t count = 0;  // significant digits stored (leading zeros skipped)
  bool sticky = false;    // a nonzero digit was dropped beyond Max_Digits
  long exponent = 0;      // the value is (digits as a whole number) * 10^exponent
  std::size_t end = 0;    // where the number and the blanks after it end
};

std::size_t skip_blanks(std::string_view text, std::size_t i) {
  while (i < text.size() && is_blank(text[i])) ++i;
  return i;
}

// Scans the leading number of the text in the sense of Val. The value is
// (digits as an integer) * 10^exponent, with the sign apart.
void scan(std::string_view text, Scan& s) {
  std::size_t i = skip_blanks(text, 0);
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    s.negative = text[i] == '-';
    i = skip_blanks(text, i + 1);
  }
  long point_shift = 0;  // digits after the decimal point that were stored or were leading zeros
  bool seen_point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (is_blank(c)) continue;
    if (c == '.') {
      if (seen_point) break;
      seen_point = true;
      continue;
    }
    if (!is_digit(c)) break;
    s.has_digits = true;
    if (c == '0' && s.count == 0) {
      if (seen_point) ++point_shift;  // leading zero after the point: scales the value
      continue;
    }
    if (s.count < Max_Digits) {
      s.digits[s.count++] = c;
      if (seen_point) ++point_shift;
    } else {
      if (c != '0') s.sticky = true;
      if (!seen_point && point_shift > -Exponent_Limit) --point_shift;  // a dropped integer digit
    }
  }
  if (!s.has_digits) return;
  s.end = i;
  long exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    std::size_t j = skip_blanks(text, i + 1);
    bool exponent_negative = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      exponent_negative = text[j] == '-';
      j = skip_blanks(text, j + 1);
    }
    bool exponent_digits = false;
    for (; j < text.size(); ++j) {
      const char c = text[j];
      if (is_blank(c)) continue;
      if (!is_digit(c)) break;
      exponent_digits = true;
      if (exponent < Exponent_Limit) exponent = exponent * 10 + (c - '0');
    }
    if (exponent_negative) exponent = -exponent;
    if (exponent_digits) s.end = j;  // "12e" is 12 followed by a letter
  }
  s.exponent = exponent - point_shift;
}

// The value of a scanned number (0 when the text held none).
double value_of(const Scan& s) {
  if (!s.has_digits || s.count == 0) return 0.0;
  // Builds "<digits>[1]e<exponent>" and lets from_chars do the correctly rounded conversion.
  char buffer[Max_Digits + 32];
  std::size_t n = 0;
  for (std::size_t k = 0; k < s.count; ++k) buffer[n++] = s.digits[k];
  long exponent = s.exponent;
  if (s.sticky) {
    buffer[n++] = '1';
    --exponent;
  }
  buffer[n++] = 'e';
  const auto written = std::to_chars(buffer + n, buffer + sizeof buffer, exponent);
  double value = 0.0;
  const auto result = std::from_chars(buffer, written.ptr, value);
  if (result.ec == std::errc::result_out_of_range) {
    // Decimal magnitude: the value lies in [10^(m-1), 10^m).
    const long magnitude = static_cast<long>(s.count) + exponent;
    value = magnitude > 0 ? DBL_MAX : 0.0;
  } else if (result.ec != std::errc{}) {
    value = 0.0;
  }
  if (std::isinf(value)) value = DBL_MAX;
  if (value == 0.0) return 0.0;  // never a negative zero
  return s.negative ? -value : value;
}

}  // namespace

double Val(std::string_view text) {
  Scan s;
  scan(text, s);
  return value_of(s);
}

std::optional<double> sole_number(std::string_view text) {
  Scan s;
  scan(text, s);
  if (!s.has_digits || skip_blanks(text, s.end) != text.size()) return std::nullopt;
  return value_of(s);
}

bool starts_with_number(std::string_view text) {
  std::size_t i = skip_blanks(text, 0);
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) i = skip_blanks(text, i + 1);
  bool seen_point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (is_blank(c)) continue;
    if (is_digit(c)) return true;
    if (c == '.' && !seen_point) {
      seen_point = true;
      continue;
    }
    return false;
  }
  return false;
}

std::optional<double> number_only(std::string_view text) {
  std::size_t first = skip_blanks(text, 0), end = text.size();
  while (end > first && is_blank(text[end - 1])) --end;
  const std::string_view number = text.substr(first, end - first);
  std::size_t i = 0;
  auto digits = [&] {
    const std::size_t start = i;
    while (i < number.size() && is_digit(number[i])) ++i;
    return i - start;
  };
  if (i < number.size() && (number[i] == '+' || number[i] == '-')) ++i;
  std::size_t mantissa = digits();
  if (i < number.size() && number[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return std::nullopt;
  if (i < number.size() && std::string_view("eEdD").find(number[i]) != std::string_view::npos) {
    ++i;
    if (i < number.size() && (number[i] == '+' || number[i] == '-')) ++i;
    if (digits() == 0) return std::nullopt;
  }
  if (i != number.size()) return std::nullopt;

  const double value = Val(number);
  if (std::fabs(value) == DBL_MAX) {
    // Val saturates: only a text that from_chars reads as a finite number really is one.
    std::string plain(number.substr(number[0] == '+' ? 1 : 0));
    for (char& c : plain)
      if (c == 'd' || c == 'D') c = 'e';
    double exact = 0;
    if (std::from_chars(plain.data(), plain.data() + plain.size(), exact).ec != std::errc{}) return std::nullopt;
  }
  return value;
}

double round_half_even(double value) {
  if (!std::isfinite(value)) return value;
  if (std::fabs(value) >= 4503599627370496.0) return value;  // 2^52: already whole
  const double below = std::floor(value);
  const double fraction = value - below;  // exact for |value| < 2^52
  double result;
  if (fraction < 0.5) {
    result = below;
  } else if (fraction > 0.5) {
    result = below + 1.0;
  } else {
    result = std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
  }
  return result == 0.0 ? 0.0 : result;
}

std::optional<std::int16_t> to_integer(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const double rounded = round_half_even(value);
  if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
  return static_cast<std::int16_t>(rounded);
}

std::optional<std::int32_t> to_long(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const double rounded = round_half_even(value);
  if (rounded < -2147483648.0 || rounded > 2147483647.0) return std::nullopt;
  return static_cast<std::int32_t>(rounded);
}

}  // namespace quorin::text
