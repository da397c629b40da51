#pragma once
// A gamma counter's own export as count data: a CSV or tab-separated text (UTF-8 or code page
// 932) with one header row and one tube per row, in the order of the data sheet (NSB, TOTAL,
// standards, control sera, then the samples). The counts come from the column the user names by
// its header, read as the count data file reads an item (counts per minute rounded to the
// nearest, halves to even); the tubes' identifiers, optionally, from another.

#include <string>
#include <string_view>
#include <vector>

#include "data/count_file.h"

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
  std::vector<std::string> ids;  // the identifier of each kept row, when an id column is named
  std::string refusal;           // why the export cannot be read as counts, or ""
};

// Reads the export (UTF-8). Refused: no header row, a named column missing (naming the columns
// the file has), a count cell that is not one number (naming its row), no tube row.
Counter_Rows read_counter_export(std::string_view text, const Counter_Columns& columns, std::size_t room);

// The samples' identifiers from the rows' once the counts are stored in sheet order: each sample
// takes the first identifier among its tubes' rows. Index 1..Sample_Number.
std::vector<std::string> sample_ids_of_rows(const Assay_State& state, const std::vector<std::string>& row_ids);

}  // namespace quorin
