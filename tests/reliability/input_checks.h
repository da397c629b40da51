#pragma once
// What every reader of outside bytes must guarantee, whatever the bytes: it returns, and what it
// hands on is consistent with what it read. Each check runs one reader on the bytes and returns
// "" when all holds, otherwise what was broken. The fuzz targets and the replay of their corpora
// in the test suite run the same checks.

#include <string>
#include <string_view>

namespace quorin::testing {

// The condition file reader: a refusal names the file; an accepted file has as many
// concentrations as its line 7 says, none of them blank, and every line can be saved again.
std::string check_condition_file(std::string_view bytes);

// The count data file reader: counts stored into a sheet and written as a count data file read
// back the same.
std::string check_count_file(std::string_view bytes);

// The counter's export reader, its counts from the first column and the samples' identifiers
// from the second: a refusal keeps nothing; what it accepts, written again as a plain CSV file
// (the identifiers quoted as spreadsheets quote them), reads back the same.
std::string check_counter_export(std::string_view bytes);

// The help and readme readers: at most the topics the screen lists, a message for what is left out.
std::string check_help_files(std::string_view bytes);

// The leading-number reader: a finite number, 0 for a text that does not begin with one, and
// the whole-number conversions and the general number form agreeing with it.
std::string check_leading_number(std::string_view bytes);

// The format patterns: the first 8 bytes are a double, the rest the pattern. A finite value under
// a pattern of digit places reads back as itself rounded to the pattern's decimals.
std::string check_format(std::string_view bytes);

// The code page 932 decoder and encoder: what decodes encodes again to bytes that decode the
// same; UTF-8 that encodes decodes back unchanged.
std::string check_cp932(std::string_view bytes);

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
