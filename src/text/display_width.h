#pragma once
// How wide a text stands in a fixed-pitch face: a half-width character (ASCII, Latin letters
// and signs below U+0300, half-width katakana) takes one column, every other character two.

#include <cstddef>
#include <string>
#include <string_view>

namespace quorin::text {

std::size_t display_columns(std::string_view text);

// The text cut after the last whole character that ends within `columns` columns.
std::string clip_to_columns(std::string_view text, std::size_t columns);

}  // namespace quorin::text
