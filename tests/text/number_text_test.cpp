// Reading numbers from typed texts, the whole-number conversions, the patterns and blanks of the
// printouts and the cleaning of typed texts; then the general number form and the format patterns
// over some twelve million values, against the outputs of the earlier digit-by-digit
// implementation, recorded as one FNV-1a hash per family of values. The values come from a fixed
// integer generator and correctly rounded text conversions, so every machine makes the same ones.
// A family whose hash differs holds a value whose text changed.

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "support/test_support.h"
#include "text/format.h"
#include "text/number_text.h"
#include "text/text_clean.h"

namespace quorin::text {
namespace {

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// Each text as typed: the value read (any number of digits, the largest beyond the range) and
// whether a number starts it; each value: as a whole number, halves to even, and within the
// ranges of 16 and 32 bits ("-" beyond them). Recorded in golden/val.txt.
TEST(Val, ReadsTheLeadingNumberAsTypedAndRoundsHalvesToEvenWithinTheRanges) {
  // clang-format off
  const std::string texts[] = {
      "1500", " 1 500 ", "\t1\r\n2", "12.5kg", "+7", "- 7", "+ 1", ".5", "  -.5", "5.", "1.2.3", "12,34", "", "abc",
      "+", ".", "-.", "..5", "e5", "x12", "1e3", "1d3", "1D-3", "2.5E+2", "1e", "1ex", "1 e 2", "1e-400", "1e400",
      "-1e400", "1e99999999999999999999", "-0", "-abc", "1" + std::string(1000, '0') + "e-1000",
      "3." + std::string(1200, '3'), std::string(400, '9')};
  const double values[] = {2.5, 3.5, -2.5, -0.5, -0.0, 0.5, 2.4999999, 2.5000001, 0.49999999999999994, -3.5, 32767.4,
      32767.5, -32768.5, -32769.0, 2147483647.0, 2147483647.5, -2147483648.0, -2147483649.0, Nan, Inf};
  // clang-format on
  std::string read;
  for (const std::string& text : texts) {
    std::string shown = text.substr(0, 40);  // control characters as ~
    for (char& c : shown)
      if (c > 0 && c < ' ') c = '~';
    read += "\"" + shown + "\" " + testing::figures(Val(text), 17) + (starts_with_number(text) ? " a number\n" : "\n");
  }
  const auto whole = [](auto value) { return value ? testing::figures(*value, 17) : std::string("-"); };
  for (const double value : values)
    read += testing::figures(value, 17) + " " + testing::figures(round_half_even(value), 17) + " " +
            whole(to_integer(value)) + " " + whole(to_long(value)) + "\n";
  testing::expect_golden("val.txt", read);
}

// The rounding of the patterns is the property test's; here: texts beyond 15 digits, values that are
// no number, texts given for a number, and the whole-number forms.
TEST(Format, PatternsOfTheScreensAndPrintoutsAndTypedTextsCleaned) {
  EXPECT_EQ(Format(123456789012345678.0, "##0") + Format(0.0, "     #####") + Format(0.0005, " ####0.000"),
            "123456789012346000 0.001");
  for (const double value : {Nan, Inf, -Inf}) EXPECT_EQ(Format(value, "##0.00") + general_number(value), "");
  EXPECT_EQ(Format(1.7976931348623157e308, "0"), "179769313486232" + std::string(294, '0'));
  const std::pair<const char*, const char*> texts[] = {{"", ""},  {"abc", "abc"},    {" 12 ", "12"},
                                                       {"0", ""}, {"1 500", "1500"}, {"   ", "   "}};
  for (const auto& [text, expected] : texts) EXPECT_EQ(Format_Text(text, "##"), expected) << text;
  EXPECT_EQ(Format_Text("12.5kg", "  #0.0000"), "  12.5000");
  EXPECT_EQ(signed_text(7) + signed_text(-7) + signed_text(0) + signed_text(std::numeric_limits<long long>::min()),
            " 7-7 0-9223372036854775808");
  EXPECT_EQ(bare_text(-7) + bare_text(std::numeric_limits<long long>::max()), "-79223372036854775807");
  // Typed texts lose their outer blanks, line breaks and NULs.
  const std::pair<std::string, std::string> cases[] = {
      {"  12\r\n", "12"},     {"ab\rcd", "abcd"},   {std::string("a\0b", 3), "ab"},
      {"\t x \t", "\t x \t"}, {"　山田　", "山田"}, {"a  b", "a  b"}};
  for (const auto& [typed, cleaned] : cases) EXPECT_EQ(Text_Clean(typed), cleaned) << typed;
}

std::uint64_t bits_state = 17;
std::uint64_t next_bits() {  // splitmix64
  std::uint64_t z = (bits_state += 0x9E3779B97F4A7C15u);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}
std::string digits(int n) {  // n decimal digits, the first not 0
  std::string text(1, static_cast<char>('1' + next_bits() % 9));
  while (static_cast<int>(text.size()) < n) text += static_cast<char>('0' + next_bits() % 10);
  return text;
}

// The double nearest the decimal text (glibc's strtod rounds correctly).
double from_text(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// Calls visit for every value of a family and its negation.
template <typename Visit>
void family_values(int family, Visit&& visit) {
  bits_state = 17;
  auto both = [&](double v) {
    if (std::isfinite(v)) visit(v), visit(-v);
  };
  auto neighbours = [&](double value, int near) {  // the value and `near` neighbours on either side
    both(value);
    for (double up = value, down = value; near-- > 0;)
      both(up = std::nextafter(up, HUGE_VAL)), both(down = std::nextafter(down, -HUGE_VAL));
  };
  if (family == 0) {  // every bit pattern: all exponents alike
    for (int k = 0; k < 2'500'000; ++k) both(std::bit_cast<double>(next_bits()));
  } else if (family == 1) {  // decimal halves at the 16th digit and their neighbours, at every decimal position
    for (int position = -30; position <= 30; ++position)
      for (int k = 0; k < 16'384; ++k) neighbours(from_text(digits(15) + "5e" + std::to_string(position)), 1);
  } else if (family == 2) {  // halves at the decimals of the patterns: 12.5, 0.125, 1.0005 ...
    for (int decimals = 0; decimals <= 7; ++decimals)
      for (int k = 0; k < 65'536; ++k)
        both(from_text(digits(1 + static_cast<int>(next_bits() % 12)) + "5e-" + std::to_string(decimals + 1)));
  } else if (family == 3) {  // powers of ten
    for (int power = -323; power <= 308; ++power) neighbours(from_text("1e" + std::to_string(power)), 4);
  } else if (family == 4) {  // where 15 digits carry into a 16th; the exponent form from 1e-5 and 1e15 on
    for (int position = -30; position <= 30; ++position)
      for (const char* mantissa : {"9999999999999995", "99999999999999949", "99999999999999951", "100000000000000050"})
        neighbours(from_text(std::string(mantissa) + "e" + std::to_string(position)), 16);
    for (const char* edge : {"1e-5", "1e-4", "9.99999999999999e-5", "1e14", "1e15", "999999999999999.5"})
      neighbours(from_text(edge), 1000);
  } else if (family == 5) {  // below the normal range, and zeros
    for (int k = 0; k < 500'000; ++k) both(std::bit_cast<double>(next_bits() & 0x000FFFFFFFFFFFFFu));
    neighbours(DBL_MIN, 64);
    visit(0.0), visit(-0.0);
  }
}

// FNV-1a over the text and a separator.
void add(std::uint64_t& hash, std::string_view text) {
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3u;
  hash = (hash ^ '|') * 0x100000001B3u;
}

TEST(NumberForms, TheSameTextsAsTheEarlierImplementation) {
  // The family, its values, the hash of the general form of every value, n: the patterns are tried on
  // every n-th value, and the hash of every pattern on those.
  const std::tuple<const char*, long, std::uint64_t, int, std::uint64_t> recorded[] = {
      {"bit patterns", 4997638, 4545276286244169648u, 16, 6387696585344310749u},
      {"decimal halves", 5996544, 7303456971347916721u, 16, 10465265933657237989u},
      {"pattern halves", 1048576, 13752373955193154813u, 1, 16814509135069310131u},
      {"powers of ten", 11376, 2438115445202713444u, 1, 9781504171091699934u},
      {"carries and switches", 40116, 15346575348706091311u, 1, 5800180376132605638u},
      {"subnormals and zeros", 1000260, 3151301870981201682u, 4, 6347251470395064208u},
  };
  for (int family = 0; family < 6; ++family) {
    const auto& [name, recorded_values, recorded_general, format_every, recorded_formats] = recorded[family];
    SCOPED_TRACE(name);
    std::uint64_t general = 0xCBF29CE484222325u, formats = general;
    long values = 0;
    family_values(family, [&](double value) {
      add(general, general_number(value));
      if (values++ % format_every == 0)
        for (const char* pattern :
             {"##0.00", "#####0.000", "####0.000", "#.#####", "##", "0.00000", "######0.0000000", ""})
          add(formats, Format(value, pattern));
    });
    EXPECT_EQ(std::tuple(values, general, formats), std::tuple(recorded_values, recorded_general, recorded_formats));
  }
}

}  // namespace
}  // namespace quorin::text
