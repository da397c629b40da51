#pragma once
// The fields of the CSV files the program writes for spreadsheets.

#include <string>

namespace quorin::text {

// A field as a spreadsheet reads it back: quoted, with its quotes doubled, when it holds a comma,
// a quote or a line break.
std::string csv_field(const std::string& value);

// A text field as a spreadsheet shows it: a text it would take for a formula (beginning with "=",
// "+", "-", "@", a tab or a carriage return) gets a leading apostrophe, so that nothing is run; so
// does a text that begins with an apostrophe itself ("'-5" gives "''-5", "-5" gives "'-5"), so
// that removing one leading apostrophe always gives the text back.
std::string csv_text_field(const std::string& value);

}  // namespace quorin::text
