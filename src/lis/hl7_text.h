#pragma once
// The text of HL7 version 2 fields, with the encoding characters of every message the program
// writes: "|" between fields, "^" components, "&" subcomponents, "~" repetitions, "\" escapes.

#include <string>
#include <string_view>

namespace quorin::lis {

// A text as one field (or component) holds it: the encoding characters escaped ("|" as \F\, "^"
// \S\, "&" \T\, "~" \R\, "\" \E\), and every control character (a line break, a tab) as its
// hexadecimal escape (\X0D\), so that no text can end a segment or shift a field.
std::string hl7_escaped(std::string_view text);

// The text an escaped field stands for: the five escapes and hexadecimal escapes undone, a line
// break escape (\.br\) as a blank; an unknown or unfinished escape is kept as it stands.
std::string hl7_unescaped(std::string_view field);

// A text received from the LIS as a message may show it: control characters and bytes that are
// not UTF-8 become blanks or "?", and anything past `limit` bytes is cut at a character with "…".
std::string shown_text(std::string_view text, std::size_t limit = 300);

}  // namespace quorin::lis
