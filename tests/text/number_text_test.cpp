#include "text/number_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

namespace quorin::text {
namespace {

TEST(Val, ReadsTheLeadingNumber) {
  EXPECT_EQ(Val("1500"), 1500.0);
  EXPECT_EQ(Val(" 1 500 "), 1500.0);
  EXPECT_EQ(Val("\t1\r\n2"), 12.0);
  EXPECT_EQ(Val("12.5kg"), 12.5);
  EXPECT_EQ(Val("+7"), 7.0);
  EXPECT_EQ(Val("- 7"), -7.0);
  EXPECT_EQ(Val(".5"), 0.5);
  EXPECT_EQ(Val("-.5"), -0.5);
  EXPECT_EQ(Val("5."), 5.0);
  EXPECT_EQ(Val("1.2.3"), 1.2);
  EXPECT_EQ(Val("12,34"), 12.0);
  EXPECT_EQ(Val("123456789012345678"), 123456789012345678.0);
  EXPECT_EQ(Val("0.000123"), 0.000123);
}

TEST(Val, NoNumberReadsAsZero) {
  EXPECT_EQ(Val(""), 0.0);
  EXPECT_EQ(Val("abc"), 0.0);
  EXPECT_EQ(Val("+"), 0.0);
  EXPECT_EQ(Val("."), 0.0);
  EXPECT_EQ(Val("e5"), 0.0);
  EXPECT_EQ(Val("x12"), 0.0);
  EXPECT_FALSE(std::signbit(Val("-0")));
  EXPECT_FALSE(std::signbit(Val("-abc")));
}

TEST(Val, Exponents) {
  EXPECT_EQ(Val("1e3"), 1000.0);
  EXPECT_EQ(Val("1d3"), 1000.0);
  EXPECT_EQ(Val("1D-3"), 0.001);
  EXPECT_EQ(Val("2.5E+2"), 250.0);
  EXPECT_EQ(Val("1e"), 1.0);
  EXPECT_EQ(Val("1ex"), 1.0);
  EXPECT_EQ(Val("1 e 2"), 100.0);
  EXPECT_EQ(Val("1.5E-05"), 1.5e-5);
}

TEST(Val, SaturatesInsteadOfInfinity) {
  EXPECT_EQ(Val("1e400"), DBL_MAX);
  EXPECT_EQ(Val("-1e400"), -DBL_MAX);
  EXPECT_EQ(Val("1e99999999999999999999"), DBL_MAX);
  EXPECT_EQ(Val("1e-400"), 0.0);
  EXPECT_EQ(Val(std::string(400, '9')), DBL_MAX);
  EXPECT_TRUE(std::isfinite(Val(std::string(2000, '9'))));
}

TEST(Val, LongDigitStringsStayCorrect) {
  // More digits than are stored: the value must still be right.
  const std::string many = "1" + std::string(1000, '0');
  EXPECT_EQ(Val(many + "e-1000"), 1.0);
  EXPECT_EQ(Val("0." + std::string(1000, '0') + "1e1001"), 1.0);
  EXPECT_EQ(Val("3." + std::string(1200, '3')), 3.0 + 1.0 / 3.0);
}

TEST(StartsWithNumber, AsVal) {
  EXPECT_TRUE(starts_with_number("12"));
  EXPECT_TRUE(starts_with_number("  -.5"));
  EXPECT_TRUE(starts_with_number("+ 1"));
  EXPECT_TRUE(starts_with_number("12kg"));
  EXPECT_FALSE(starts_with_number("abc"));
  EXPECT_FALSE(starts_with_number("."));
  EXPECT_FALSE(starts_with_number("-."));
  EXPECT_FALSE(starts_with_number("e5"));
  EXPECT_FALSE(starts_with_number("..5"));
}

TEST(RoundHalfEven, Halves) {
  EXPECT_EQ(round_half_even(2.5), 2.0);
  EXPECT_EQ(round_half_even(3.5), 4.0);
  EXPECT_EQ(round_half_even(-2.5), -2.0);
  EXPECT_EQ(round_half_even(0.5), 0.0);
  EXPECT_FALSE(std::signbit(round_half_even(-0.5)));
  EXPECT_EQ(round_half_even(2.4999999), 2.0);
  EXPECT_EQ(round_half_even(2.5000001), 3.0);
  EXPECT_EQ(round_half_even(0.49999999999999994), 0.0);
  EXPECT_EQ(round_half_even(4503599627370497.0), 4503599627370497.0);
  EXPECT_EQ(round_half_even(1e300), 1e300);
}

TEST(ToInteger, Range) {
  EXPECT_EQ(to_integer(2.5), std::int16_t{2});
  EXPECT_EQ(to_integer(32767.5), std::nullopt);  // rounds to 32768
  EXPECT_EQ(to_integer(32767.4), std::int16_t{32767});
  EXPECT_EQ(to_integer(-32768.0), std::int16_t{-32768});
  EXPECT_EQ(to_integer(-32768.5), std::int16_t{-32768});  // halves to even
  EXPECT_EQ(to_integer(-32769.0), std::nullopt);
  EXPECT_EQ(to_integer(std::nan("")), std::nullopt);
  EXPECT_EQ(to_integer(std::numeric_limits<double>::infinity()), std::nullopt);
}

TEST(ToLong, Range) {
  EXPECT_EQ(to_long(-3.5), -4);
  EXPECT_EQ(to_long(2147483647.0), 2147483647);
  EXPECT_EQ(to_long(2147483647.5), std::nullopt);
  EXPECT_EQ(to_long(-2147483648.0), std::int32_t{-2147483647 - 1});
  EXPECT_EQ(to_long(-2147483649.0), std::nullopt);
  EXPECT_EQ(to_long(std::nan("")), std::nullopt);
}

}  // namespace
}  // namespace quorin::text
