#pragma once
// The number forms the program shows, prints and writes.

#include <cstddef>
#include <string>
#include <string_view>

namespace quorin::text {

// A format pattern of leading literal characters (blanks) followed by digit places: "0" a digit
// always shown, "#" a digit shown only when significant, one optional "." for the decimal
// point. The value is rounded to the pattern's decimals, halves away from zero, after it is taken
// to 15 significant digits (so 1.005 under "0.00" gives "1.01", as a person expects); integer
// digits beyond the pattern are still shown; no thousands separator; a minus sign precedes the
// digits unless the rounded value is zero. A zero under a pattern of "#" only (no "0", no ".")
// gives "" and the literal prefix is dropped with it. Examples: Format(0.5, "###.0000") ".5000",
// Format(12.5, "  #0.0000") "  12.5000", Format(1234.5, "##") "1235" (halves away), Format(1,
// "#.#####") "1.", Format(0, "######") "".
// Decimal "#" places drop trailing zeros, "0" places always show (Format(1.5, "#.#####") "1.5",
// Format(0, "#.#####") "."). Literal characters after the last digit place are copied too. A NaN
// or infinity gives "" (callers pass finite values). An empty pattern gives the shortest text of
// at most 15 significant digits ("0.5").
std::string Format(double value, std::string_view pattern);

// Format applied to a text: the text's number (Val) when the text begins with a number,
// otherwise the text unchanged. An empty text stays empty.
std::string Format_Text(std::string_view text, std::string_view pattern);

// The general number form of files and printed lines: " " for a non-negative value or "-", the
// shortest text of the value rounded to 15 significant digits, no "0" before the point of a value
// below 1 in magnitude (‹ .5 ›), exponent form ("1.5E+20", "1E-05") for magnitudes of 1e15 and
// above or below 1e-4, then one trailing blank. general_number(1234) == " 1234 ". The exponent
// has at least two digits. Zero (also -0) is " 0 "; a NaN or infinity gives "".
std::string general_number(double value);

// The longest text general_number gives (" -1.23456789012345E-308 ") fits in this many bytes.
constexpr std::size_t General_Number_Size = 32;

// general_number written at out, which has room for General_Number_Size bytes; returns the end.
// For building large files without a string per number.
char* general_number_to(char* out, double value);

// Format(value, "") written at out, which has room for General_Number_Size bytes; returns the
// end (nothing written for a NaN or infinity). For building large files without a string per number.
char* shortest_number_to(char* out, double value);

// A value to `digits` significant digits, as the model comparison shows fitted parameters:
// "99.8734", "0.0123457", "1234.57"; exponent form ("1.23457e-07") below 1e-4 and from 10^digits
// up. A NaN or infinity gives "".
std::string significant_text(double value, int digits);

// A whole number with the blank of its sign place: signed_text(7) == " 7", signed_text(-7) == "-7".
std::string signed_text(long long value);

// signed_text written at out, which has room for Signed_Text_Size bytes; returns the end.
constexpr std::size_t Signed_Text_Size = 24;
char* signed_text_to(char* out, long long value);

// A whole number without the blank: bare_text(7) == "7", bare_text(-7) == "-7".
std::string bare_text(long long value);

}  // namespace quorin::text
