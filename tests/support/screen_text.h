#pragma once
// What a screen shows, as text to compare with a recorded copy: every control the user can see
// with its text and state, the cells of its tables and what its pictures hold.

#include <string>
#include <vector>

#include "ui/form.h"

namespace quorin::testing {

// One line per visible control: "Name[index] text", marked "(disabled)" or "(chosen)"; a
// scroll bar's value and range; a table's rows (of a long one
// its headings and every 25th row); a picture's scale and drawing, long runs of
// like operations shortened to their count, first, middle and last.
std::string screen_text(const ui::Form& form);

// Recorded printer operations one to a line, runs of more than eight drawing operations of one
// kind ("line", "circle"...) shortened to their count, first, middle and last.
std::string ops_text(const std::vector<std::string>& ops);

}  // namespace quorin::testing
