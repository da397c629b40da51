#pragma once
// A gamma counter's own export as count data: a CSV or tab-separated text (UTF-8 or code page
// 932, read as text/csv_reader.h reads it) with one header row and one tube per row, in the
// order of the data sheet (NSB, TOTAL, standards, control sera, then the samples). The counts
// come from the column the user names by its header, read as the count data file reads an item
// (counts per minute rounded to the nearest, halves to even); the samples' identifiers,
// optionally, from another.

#include <string>
#include <string_view>
#include <vector>

#include "data/count_file.h"
#include "data/sheet_layout.h"

namespace quorin {

// The header names of the two columns; `id` is "" when the identifiers are not read.
struct Counter_Columns {
  std::string count;
  std::string id;
};

// The header names of the export's first row, blanks around them dropped.
std::vector<std::string> counter_headers(std::string_view text);

struct Counter_Rows {
  Count_Items items;             // the counts in row order (at most `room` kept)
  std::vector<std::string> ids;  // the samples' identifiers, index 1.. the last sample kept, when
                                 // an id column is named ("" for a sample without one)
  std::string refusal;           // why the export cannot be read as counts, or ""
};

// Reads the export (UTF-8) for a sheet of the given shape (its samples as many as the rows
// reach). Every row must be as wide as the header row (a trailing separator on every row is
// taken), its count cell one number, and a sample's identifier an identifier
// (data/sample_ids.h) that every tube row of the sample that names one gives alike and that no
// other sample has. Refused, naming the row: a quote left open or text after one, a row of
// another width, an empty row inside, a count cell that is not one number (a decimal comma or a
// thousands separator included), an identifier that breaks the rules. Refused, naming the
// columns: a named column missing or found twice, no tube row.
Counter_Rows read_counter_export(std::string_view text, const Counter_Columns& columns, const Sheet_Layout& layout,
                                 std::size_t room);

}  // namespace quorin
