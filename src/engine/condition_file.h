#pragma once
// The condition file: the 33 fields of the conditions as they are shown, one line each, field 0
// first, in code page 932 with CR LF.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "engine/assay_state.h"
#include "text/text_file.h"

namespace quorin {

// The 33 field texts as shown, field 0 first (the result file repeats them).
void write_condition_lines(const std::array<std::string, Condition_Boxes>& texts, text::Line_Writer& out);

// What a condition file puts into the fields: lines 1..13 into fields 0..12 and, for the n
// standards of line 7, the first n lines from line 14 on that are not empty into fields 13..12+n.
struct Condition_Lines {
  std::array<std::string, 13> fields;
  std::vector<std::string> standards;
};

struct Condition_Read {
  bool ok = false;
  Condition_Lines lines;
  std::string message;  // why the file cannot be used, naming it, when !ok
  std::string warning;  // what the user is told after loading it (a missing dilution factor), or ""
};

// Reads and checks the whole file. Refused, with the message and nothing else: not text, not
// code page 932, fewer than 13 lines, a number of standards, sera, samples or tubes (lines
// 7..12) that is not one number within the limits the conditions keep, standards, sera or
// samples without tubes, fewer concentrations than standards, or a concentration that is not
// one number above 0. A dilution factor (line 13) that is missing or not one number above 0 is
// read as none (the line as empty) and the warning says so.
Condition_Read read_condition_file(const std::string& path);
// The same checks on bytes already read; `path` only names the file in the message.
Condition_Read parse_condition_file(std::string_view bytes, const std::string& path);

// "13行目": line n of the file, as messages name it.
std::string line_text(std::size_t n);

}  // namespace quorin
