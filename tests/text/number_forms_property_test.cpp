// The general number form and the format patterns over some twelve million values, against the
// outputs of the earlier digit-by-digit implementation, recorded as one FNV-1a hash per family of
// values. The values come from a fixed integer generator and correctly rounded text conversions,
// so every machine makes the same ones. A family whose hash differs holds a value whose text
// changed.

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "text/format.h"

namespace quorin::text {
namespace {

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
  const struct {
    const char* family;
    long values;
    std::uint64_t general;  // of every value
    int format_every;       // the patterns are tried on every n-th value
    std::uint64_t formats;  // of every pattern on those values
  } recorded[] = {
      {"bit patterns", 4997638, 4545276286244169648u, 16, 6387696585344310749u},
      {"decimal halves", 5996544, 7303456971347916721u, 16, 10465265933657237989u},
      {"pattern halves", 1048576, 13752373955193154813u, 1, 16814509135069310131u},
      {"powers of ten", 11376, 2438115445202713444u, 1, 9781504171091699934u},
      {"carries and switches", 40116, 15346575348706091311u, 1, 5800180376132605638u},
      {"subnormals and zeros", 1000260, 3151301870981201682u, 4, 6347251470395064208u},
  };
  long total = 0;
  for (int family = 0; family < 6; ++family) {
    const auto& r = recorded[family];
    SCOPED_TRACE(r.family);
    std::uint64_t general = 0xCBF29CE484222325u, formats = general;
    long values = 0;
    family_values(family, [&](double value) {
      add(general, general_number(value));
      if (values++ % r.format_every == 0)
        for (const char* pattern :
             {"##0.00", "#####0.000", "####0.000", "#.#####", "##", "0.00000", "######0.0000000", ""})
          add(formats, Format(value, pattern));
    });
    EXPECT_EQ(values, r.values);
    EXPECT_EQ(general, r.general);
    EXPECT_EQ(formats, r.formats);
    total += values;
  }
  EXPECT_GE(total, 10'000'000);
}

}  // namespace
}  // namespace quorin::text
