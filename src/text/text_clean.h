#pragma once
// Cleaning a typed text before it is committed.

#include <string>
#include <string_view>

namespace quorin::text {

// The typed text without blanks at either end (ideographic blanks included) and without any
// carriage return, line feed or NUL character.
std::string Text_Clean(std::string_view text);

// The text without blanks (spaces, ideographic spaces) at either end, and nothing else changed.
std::string_view trim_blanks(std::string_view text);

}  // namespace quorin::text
