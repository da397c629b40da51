#pragma once
// The commit of one field of the conditions: the check of its text, the form it is shown in and
// the field of the assay state it goes to. The conditions screen commits what is typed; a
// condition file and a count file commit through the same rule.

#include <string>
#include <vector>

#include "engine/assay_state.h"
#include "engine/condition_file.h"

namespace quorin {

struct Condition_Commit {
  std::string cleaned;  // the text as typed, cleaned: what the field shows while a refusal is told
  std::string refusal;  // why the text was refused (the stored value stays), or ""
};

// Cleans the text, rewrites it in the field's form and stores it, or refuses an out-of-limit
// count, or a concentration or dilution factor that is not one number above 0, and keeps the
// value stored. Either way Condition_Texts[field] is then the text the field shows.
Condition_Commit commit_condition(Assay_State& state, int field, const std::string& typed);

// The lines of a condition file as the conditions in force, every field committed (the standards
// beyond the file's number keep their texts and are committed with them). Returns what the
// commits refused, in field order (nothing for a file read_condition_file accepted).
std::vector<std::string> load_condition_lines(Assay_State& state, const Condition_Lines& lines,
                                              const std::string& path);

}  // namespace quorin
