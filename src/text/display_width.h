#pragma once
// How wide a text stands in a fixed-pitch face: a half-width character (ASCII, Latin letters
// and signs below U+0300, half-width katakana) takes one column, every other character two.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorin::text {

std::size_t display_columns(std::string_view text);

// The character that starts at byte `at` of a UTF-8 text, `at` moved past it.
char32_t next_character(std::string_view text, std::size_t& at);

// The text cut after the last whole character that ends within `columns` columns.
std::string clip_to_columns(std::string_view text, std::size_t columns);

// The text in lines of at most `columns` columns, each broken after its last blank that fits, or
// within a word longer than a line; the blanks at a break are dropped. An empty text gives none.
std::vector<std::string> wrap_at_blanks(std::string_view text, std::size_t columns);

// The text as it fits `columns` columns when a half-width character may take up to
// `half_width` of them (1 in a fixed-pitch face, nearly 2 for the widest letters of a
// proportional one) and any other character two: whole when it fits, else its start ended by
// "…" (two columns), so that a cut text never reads as a whole one.
std::string elide_to_columns(std::string_view text, double columns, double half_width = 1);

}  // namespace quorin::text
