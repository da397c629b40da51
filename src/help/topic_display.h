#pragma once
// How the help screen shows a chosen topic: its title, the section of the program it belongs to
// and its explanation cut into short lines.

#include <optional>
#include <string>
#include <string_view>

#include "help/help_file.h"

namespace quorin::help {

// Characters in one line of the explanation, and lines shown.
inline constexpr int Piece_Characters = 28;
inline constexpr int Pieces_Shown = 5;

// The keyword, followed by "  (コマンドボタン)" for a command-button topic.
std::string title_text(const Help_Topic& topic);

// "<条件設定>" and the like for section codes 1 to 5 (5 the model screen), "" for 0 (general),
// nullopt for any other code (the screen then keeps the section it showed).
std::optional<std::string> section_text(double section);

// The explanation as five lines of 28 characters, each on its own line with an empty line
// between them: a line break, characters 1-28, then for the pieces from characters 29, 57, 85
// and 113 two line breaks and the piece. Characters beyond 140 are not shown; a short text still
// ends in the line breaks of its empty pieces. Characters, not bytes: a kanji counts as one.
std::string explanation_text(std::string_view text);

}  // namespace quorin::help
