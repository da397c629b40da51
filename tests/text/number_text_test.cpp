// Reading numbers from typed texts, the whole-number conversions, the patterns and blanks of the
// printouts and the cleaning of typed texts. The rounding of the patterns over millions of values
// is the property test's; here stand the forms it does not reach.

#include "text/number_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include "text/format.h"
#include "text/text_clean.h"

namespace quorin::text {
namespace {

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

TEST(Val, ReadsTheLeadingNumberAsTyped) {
  // clang-format off
  const std::pair<const char*, double> cases[] = {
      {"1500", 1500}, {" 1 500 ", 1500}, {"\t1\r\n2", 12}, {"12.5kg", 12.5}, {"+7", 7},   {"- 7", -7},   {".5", 0.5},
      {"-.5", -0.5},  {"5.", 5},          {"1.2.3", 1.2},    {"12,34", 12},    {"", 0},    {"abc", 0},    {"+", 0},
      {".", 0},       {"e5", 0},          {"x12", 0},        {"1e3", 1000},    {"1d3", 1000}, {"1D-3", 0.001},
      {"2.5E+2", 250}, {"1e", 1},         {"1ex", 1},        {"1 e 2", 100},   {"1e-400", 0}, {"1e400", DBL_MAX},
      {"-1e400", -DBL_MAX}, {"1e99999999999999999999", DBL_MAX}};
  // clang-format on
  for (const auto& [text, expected] : cases) EXPECT_EQ(Val(text), expected) << text;
  // More digits than are kept: still the exact value, or the largest.
  EXPECT_EQ(Val("1" + std::string(1000, '0') + "e-1000"), 1);
  EXPECT_EQ(Val("3." + std::string(1200, '3')), 3.0 + 1.0 / 3.0);
  EXPECT_EQ(Val(std::string(400, '9')), DBL_MAX);
  EXPECT_FALSE(std::signbit(Val("-0")) || std::signbit(Val("-abc")));
  for (const char* text : {"12", "  -.5", "+ 1", "12kg"}) EXPECT_TRUE(starts_with_number(text)) << text;
  for (const char* text : {"abc", ".", "-.", "e5", "..5"}) EXPECT_FALSE(starts_with_number(text)) << text;
}

TEST(Rounding, HalvesToEvenWithinTheRanges) {
  const std::pair<double, double> halves[] = {
      {2.5, 2}, {3.5, 4}, {-2.5, -2}, {0.5, 0}, {2.4999999, 2}, {2.5000001, 3}, {0.49999999999999994, 0}};
  for (const auto& [value, expected] : halves) EXPECT_EQ(round_half_even(value), expected) << value;
  EXPECT_FALSE(std::signbit(round_half_even(-0.5)));
  const std::pair<double, std::optional<std::int16_t>> integers[] = {
      {32767.4, 32767}, {32767.5, {}}, {-32768.5, -32768}, {-32769.0, {}}, {Nan, {}}, {Inf, {}}};
  for (const auto& [value, expected] : integers) EXPECT_EQ(to_integer(value), expected) << value;
  const std::pair<double, std::optional<std::int32_t>> longs[] = {
      {-3.5, -4}, {2147483647.0, 2147483647}, {2147483647.5, {}}, {-2147483648.0, INT32_MIN}, {-2147483649.0, {}}};
  for (const auto& [value, expected] : longs) EXPECT_EQ(to_long(value), expected) << value;
}

// The rounding of the patterns is the property test's; here: texts beyond 15 digits, values that are
// no number, texts given for a number, and the whole-number forms.
TEST(Format, PatternsOfTheScreensAndPrintouts) {
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
}

TEST(TextClean, TrimsBlanksAndRemovesLineBreaksAndNul) {
  const std::pair<std::string, std::string> cases[] = {
      {"  12\r\n", "12"},     {"ab\rcd", "abcd"},   {std::string("a\0b", 3), "ab"},
      {"\t x \t", "\t x \t"}, {"　山田　", "山田"}, {"a  b", "a  b"}};
  for (const auto& [typed, cleaned] : cases) EXPECT_EQ(Text_Clean(typed), cleaned) << typed;
}

}  // namespace
}  // namespace quorin::text
