#pragma once
// What every reader of outside bytes must guarantee, whatever the bytes: it returns, and what it
// hands on is consistent with what it read. Each check runs one reader on the bytes and returns
// "" when all holds, otherwise what was broken. The fuzz targets and the replay of their corpora
// in the test suite run the same checks.

#include <string>
#include <string_view>

namespace quorin::testing {

// The screens driven by a user's events made of the bytes (tests/reliability/screen_events.cpp):
// nothing shown, saved or printed is not a number, the data sheet and the result table show the
// counts and conditions in force, nothing is written outside the scratch folder, an action
// refused with a message leaves the assay as it was, every enabled button has a handler.
std::string check_screens(std::string_view bytes);

// True when the text holds "nan" or "inf" in any case: a number the program could not form.
bool mentions_non_number(std::string_view text);

// The check a fuzz target of the given name runs ("condition_file", "count_file", ...); nullptr
// for an unknown name.
using Input_Check = std::string (*)(std::string_view);
Input_Check input_check(std::string_view target);

}  // namespace quorin::testing
