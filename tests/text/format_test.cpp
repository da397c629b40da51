#include "text/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace quorin::text {
namespace {

struct Case {
  double value;
  const char* pattern;
  const char* expected;
};

TEST(Format, Examples) {
  const Case cases[] = {
      // The conditions boxes: "##" and "###.0000".
      {0.5, "###.0000", ".5000"},
      {0.0, "###.0000", ".0000"},
      {12.5, "###.0000", "12.5000"},
      {0.0, "##", ""},
      {100000.0, "##", "100000"},
      {1234.5, "##", "1235"},
      {2.5, "##", "3"},
      {-2.5, "##", "-3"},
      {0.4, "##", ""},
      {0.5, "##", "1"},
      // The conditions printout: "  #0.0000".
      {12.5, "  #0.0000", "  12.5000"},
      {-12.5, "  #0.0000", "  -12.5000"},
      {123.45678, "  #0.0000", "  123.4568"},
      // "#.#####": trailing "#" decimals dropped, the point stays.
      {1.5, "#.#####", "1.5"},
      {1.0, "#.#####", "1."},
      {0.0, "#.#####", "."},
      {12.345678, "#.#####", "12.34568"},
      {0.000001, "#.#####", "."},
      {0.000005, "#.#####", ".00001"},
      {-0.5, "#.#####", "-.5"},
      // "0.00000".
      {0.0, "0.00000", "0.00000"},
      {1.234567, "0.00000", "1.23457"},
      {0.000004, "0.00000", "0.00000"},
      {-0.000004, "0.00000", "0.00000"},
      {-0.000005, "0.00000", "-0.00001"},
      // "#####.#####".
      {-1.23456789, "#####.#####", "-1.23457"},
      // "######0.0000000".
      {-0.1234567891, "######0.0000000", "-0.1234568"},
      {1234567.1234567, "######0.0000000", "1234567.1234567"},
      // Whole-number patterns.
      {0.0, "######", ""},
      {-3.0, "######", "-3"},
      {1500.4, "####", "1500"},
      {0.0, "##0", "0"},
      {49.5, "##0", "50"},
      {-0.4, "##0", "0"},
      {-0.5, "##0", "-1"},
      {5.0, "000", "005"},
      // Two and three decimals.
      {12.345, "##0.00", "12.35"},  // 12.345 is stored as 12.3449999...; 15 digits make it a half
      {1.005, "0.00", "1.01"},
      {2.675, "##0.00", "2.68"},
      {99.995, "##0.00", "100.00"},
      {0.125, "###0.00", "0.13"},
      {-0.125, "###0.00", "-0.13"},
      {1.0005, "####0.000", "1.001"},
      {9.9995, "#####0.000", "10.000"},
      // Beyond 15 significant digits: the digits of the 15-digit rounding, then zeros.
      {1e20, "##0.00", "100000000000000000000.00"},
      {123456789012345678.0, "##0", "123456789012346000"},
      {1.0 / 3.0, "0.00000000000000000000", "0.33333333333333300000"},
      {2.0 / 3.0, "0.0000000000000000", "0.6666666666666670"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Format(c.value, c.pattern), c.expected) << c.value << " under \"" << c.pattern << "\"";
  EXPECT_EQ(Format(1e300, "0"), "1" + std::string(300, '0'));
  EXPECT_EQ(Format(1e300, "##"), "1" + std::string(300, '0'));
  EXPECT_EQ(Format(1.7976931348623157e308, "0"), "179769313486232" + std::string(294, '0'));
  EXPECT_EQ(Format(5e-324, "0.00"), "0.00");
  EXPECT_EQ(Format(5e-324, "##"), "");
}

TEST(Format, LiteralPrefixesOfThePrintouts) {
  // Result printout: the blanks at the start of a pattern are literal and pad the field.
  const Case cases[] = {
      {1234.5678, "   ###0.00", "   1234.57"},
      {1500.0, "     #####", "     1500"},
      {0.0, "     #####", ""},  // a "#"-only pattern drops its prefix with a zero
      {12.345678, "    ##0.00", "    12.35"},
      {-5.5, "    ##0.00", "    -5.50"},
      {1.23456, "  ####0.000", "  1.235"},
      {0.0005, " ####0.000", " 0.001"},
      {3.0, "        ##", "        3"},
      {12.5, "STD #0.0 mg", "STD 12.5 mg"},  // literal text before and after
  };
  for (const auto& c : cases)
    EXPECT_EQ(Format(c.value, c.pattern), c.expected) << c.value << " under \"" << c.pattern << "\"";
  // Sample printout: right-aligned in 12 characters (ten blanks before, the last 12 kept).
  const std::string text = std::string(10, ' ') + Format(123456.789, "#####0.000");
  EXPECT_EQ(text.substr(text.size() - 12), "  123456.789");
}

TEST(Format, NotFiniteNeverCrashes) {
  EXPECT_EQ(Format(std::numeric_limits<double>::quiet_NaN(), "##0.00"), "");
  EXPECT_EQ(Format(std::numeric_limits<double>::infinity(), "##0.00"), "");
  EXPECT_EQ(Format(-std::numeric_limits<double>::infinity(), "##"), "");
}

TEST(Format, EmptyPatternGivesTheShortestText) {
  EXPECT_EQ(Format(0.5, ""), "0.5");
  EXPECT_EQ(Format(-0.0, ""), "0");
  EXPECT_EQ(Format(1234.0, ""), "1234");
}

TEST(FormatText, NumbersAndOtherTexts) {
  EXPECT_EQ(Format_Text("", "##"), "");
  EXPECT_EQ(Format_Text("abc", "##"), "abc");
  EXPECT_EQ(Format_Text(" 12 ", "##"), "12");
  EXPECT_EQ(Format_Text("0", "##"), "");
  EXPECT_EQ(Format_Text("0", "###.0000"), ".0000");
  EXPECT_EQ(Format_Text(".5", "###.0000"), ".5000");
  EXPECT_EQ(Format_Text("12.5kg", "  #0.0000"), "  12.5000");
  EXPECT_EQ(Format_Text("1 500", "##"), "1500");
  EXPECT_EQ(Format_Text("   ", "##"), "   ");  // blanks only: not a number, unchanged
}

TEST(GeneralNumber, Examples) {
  EXPECT_EQ(general_number(1234), " 1234 ");
  EXPECT_EQ(general_number(-3), "-3 ");
  EXPECT_EQ(general_number(-0.25), "-.25 ");
  EXPECT_EQ(general_number(0), " 0 ");
  EXPECT_EQ(general_number(-0.0), " 0 ");
  EXPECT_EQ(general_number(1.88), " 1.88 ");
  EXPECT_EQ(general_number(1.0 / 3.0), " .333333333333333 ");
  EXPECT_EQ(general_number(2.0 / 3.0), " .666666666666667 ");
  EXPECT_EQ(general_number(-200.0 / 3.0), "-66.6666666666667 ");
  EXPECT_EQ(general_number(0.1 + 0.2), " .3 ");
  EXPECT_EQ(general_number(123456789012345.0), " 123456789012345 ");
  EXPECT_EQ(general_number(0.00012345), " .00012345 ");
}

TEST(GeneralNumber, ExponentForm) {
  EXPECT_EQ(general_number(1e-5), " 1E-05 ");
  EXPECT_EQ(general_number(1.5e20), " 1.5E+20 ");
  EXPECT_EQ(general_number(1e15), " 1E+15 ");
  EXPECT_EQ(general_number(999999999999999.9), " 1E+15 ");
  EXPECT_EQ(general_number(1234567890123456.0), " 1.23456789012346E+15 ");
  EXPECT_EQ(general_number(0.00009999), " 9.999E-05 ");
  EXPECT_EQ(general_number(1.7976931348623157e308), " 1.79769313486232E+308 ");
  EXPECT_EQ(general_number(5e-324), " 4.94065645841247E-324 ");
}

TEST(GeneralNumber, NotFiniteNeverCrashes) {
  EXPECT_EQ(general_number(std::numeric_limits<double>::quiet_NaN()), "");
  EXPECT_EQ(general_number(std::numeric_limits<double>::infinity()), "");
}

TEST(GeneralNumber, ReadsBackWithinFifteenDigits) {
  double value = 1.0;
  for (int k = 0; k < 200; ++k) {
    value *= -1.37;
    const std::string text = general_number(value);
    ASSERT_FALSE(text.empty());
    char* end = nullptr;
    const double back = std::strtod(text.c_str(), &end);
    EXPECT_NEAR(back, value, std::fabs(value) * 1e-14) << text;
  }
}

TEST(SignedText, Blanks) {
  EXPECT_EQ(signed_text(7), " 7");
  EXPECT_EQ(signed_text(-7), "-7");
  EXPECT_EQ(signed_text(0), " 0");
  EXPECT_EQ(signed_text(std::numeric_limits<long long>::min()), "-9223372036854775808");
  EXPECT_EQ(bare_text(7), "7");
  EXPECT_EQ(bare_text(-7), "-7");
  EXPECT_EQ(bare_text(std::numeric_limits<long long>::max()), "9223372036854775807");
}

}  // namespace
}  // namespace quorin::text
