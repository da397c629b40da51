#pragma once
// Plain searches through printed operations, CSV rows and XML text, for the tests that look for a
// shape of text rather than a whole golden file.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorin::testing {

// A printer's "text X,Y "..."" operation that ends no line: where it stands and what it says.
struct Printed_Text {
  std::string position;
  std::string text;
};
std::optional<Printed_Text> printed_text(const std::string& op);

// "n / N", a page's number of the job's pages, as the foot of a page prints it.
bool is_page_number(std::string_view text);

// One or more of 0-9 and nothing else.
bool is_digits(std::string_view text);

// The text after the first `before` (at or past `from`) up to the next `after`; nothing when
// either is missing.
std::optional<std::string> between(std::string_view text, std::string_view before, std::string_view after,
                                   std::size_t from = 0);

// The element of each `<tag ...>` opening in `text`, in order, up to the next '>' (the attributes).
std::vector<std::string> openings(std::string_view text, std::string_view tag);

// A workbook cell's text (no XML entities in it) as a spreadsheet shows it: each "_xHHHH_", four
// hex digits, read left to right as the character HHHH. Nothing for a character beyond ASCII,
// which this reader does not take, or for an escaped underscore "_x005F_" that opens no such run,
// which a spreadsheet takes for a damaged file.
std::optional<std::string> workbook_text_shown(std::string_view cell);

// A line's cells split at every comma (the tests' CSV rows quote no comma).
std::vector<std::string> cells_of(std::string_view line);

}  // namespace quorin::testing
