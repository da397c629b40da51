#pragma once
// Reading numbers from texts and the whole-number conversions of the program.

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorin::text {

// The number at the start of a text, as a typed field or a file item is read: blanks (space, tab,
// CR, LF) are skipped wherever they stand inside the number, then an optional sign, digits, an
// optional decimal point with digits and an optional exponent (E or D, optional sign, digits).
// A text that does not begin with a number reads as 0. ‹ 1 500 › reads as 1500, ‹12.5kg› as
// 12.5, ‹abc› as 0. A magnitude beyond the largest finite double saturates to it (never inf).
double Val(std::string_view text);

// The number of a text that holds one number and nothing else, read as Val reads it, with only
// blanks after it; nullopt for a text that does not begin with a number or goes on after it:
// ‹ 12 › is 12, ‹1 500› 1500 and ‹1e3› 1000, but ‹12x›, ‹12e›, ‹nan› and ‹› have none.
std::optional<double> sole_number(std::string_view text);

// True when the text begins with a number in the sense of Val (after blanks).
bool starts_with_number(std::string_view text);

// The number a text holds when it holds one number and nothing else: blanks around it are
// allowed, none inside it; a sign, digits with at most one decimal point, and an exponent (E or
// D, optional sign, digits). nullopt for an empty text, anything beyond the number (‹1,000›,
// ‹12x›, ‹１２›, ‹nan›), or a magnitude beyond the largest finite double (‹1e309›).
std::optional<double> number_only(std::string_view text);

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double round_half_even(double value);

// The same into the 16-bit Integer and 32-bit Long of the assay state; nullopt when the rounded
// value lies outside the type's range (or the value is not finite).
std::optional<std::int16_t> to_integer(double value);
std::optional<std::int32_t> to_long(double value);

}  // namespace quorin::text
