#pragma once
// The list of sample identifiers (the tubes' own labels) that the results show beside the sample
// numbers: a text file in UTF-8 or code page 932, either one identifier per line in sample order
// or "number,identifier" pairs, never a mix of the two. Its lines are read as the counter's
// export is (text/csv_reader.h): an identifier that holds a comma or a double quote stands in
// double quotes. The list is read whole and checked before anything is stored.

#include <string>
#include <string_view>
#include <vector>

#include "engine/assay_state.h"

namespace quorin {

// The longest identifier, in characters.
inline constexpr std::size_t Longest_Identifier = 64;

// Why a text cannot be a sample's identifier, "" when it can: more than 64 characters, or a
// character that is not printed or looks like another (a control character, NUL, an invisible
// mark, a blank other than the space and the ideographic space, a combining voiced sound mark),
// with which one identifier could show as another or as none. The text is UTF-8 with its blanks
// trimmed. The one check of every door that takes an identifier.
std::string identifier_fault(std::string_view id);

struct Id_List {
  std::vector<std::string> ids;  // index 1..samples ("" for a sample without one); index 0 unused
  std::string refusal;           // why the list cannot be taken, naming the line; "" when it can
  std::string note;              // samples left without an identifier, or ""
};

// Reads a list (already UTF-8) for `samples` samples. The first line decides the form: a line
// whose first cell is a decimal number (leading zeros allowed: 007 is sample 7) followed by one
// more cell is a pair, a line of one cell an identifier alone. Refused, naming the line: a line
// of the other form, a line of neither, an identifier that is empty, given twice or not an
// identifier (identifier_fault), more identifiers than samples, a pair numbering no sample (0 or
// above the samples) or a sample already given. Trailing empty lines are ignored.
Id_List read_id_list(std::string_view text, Long samples);

// Reads the file and, when it can be taken, stores the identifiers into Sample_Id. Returns ""
// with the note (if any) in `note`, or the message why nothing was stored. The one place where a
// list of identifiers comes into the assay.
std::string load_sample_ids(Assay_State& state, const std::string& path, std::string& note);

}  // namespace quorin
