#pragma once
// The list of sample identifiers (the tubes' own labels) that the results show beside the sample
// numbers: a text file in UTF-8 or code page 932, either one identifier per line in sample order
// or "number,identifier" pairs. The list is read whole and checked before anything is stored.

#include <string>
#include <string_view>
#include <vector>

#include "engine/assay_state.h"

namespace quorin {

struct Id_List {
  std::vector<std::string> ids;  // index 1..samples ("" for a sample without one); index 0 unused
  std::string refusal;           // why the list cannot be taken, naming the line; "" when it can
  std::string note;              // samples left without an identifier, or ""
};

// Reads a list (already UTF-8) for `samples` samples. Refused: an empty identifier, one given
// twice, more identifiers than samples, a pair whose number is no sample or names a sample
// already given. Trailing empty lines are ignored.
Id_List read_id_list(std::string_view text, Long samples);

// Reads the file and, when it can be taken, stores the identifiers into Sample_Id. Returns ""
// with the note (if any) in `note`, or the message why nothing was stored.
std::string load_sample_ids(Assay_State& state, const std::string& path, std::string& note);

}  // namespace quorin
