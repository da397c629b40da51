#pragma once
// The count data file: one count per item, in the order of the data sheet's rows (standards,
// control sera, samples), items ending at a line end or a comma. Written one item per line: a
// nonzero count as " 1500 " or "-3 ", a zero count as an empty line, each line ended by CR LF.
// The assay's shape comes from the conditions in force; only the number of samples is taken
// from the file, whose sample section runs to its end.

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "engine/assay_state.h"

namespace quorin {

// Why the items of a file cannot be taken as counts.
enum class Count_Fault {
  None,
  Not_A_Count,  // an item holds something else than one number ("12x", "abc", "nan", "NSB")
  Too_Large     // an item's number lies outside the 32-bit range
};

// The items of a file as whole numbers, read completely before anything is stored. An empty item
// (an empty line) is a zero count; an item that holds one number with only blanks around it
// counts that number rounded to the nearest, halves to even (" 12 ", "12.5", "1e3"); anything
// else, blanks between digits included ("1 500" could be two counts), is no count and ends the
// reading with its fault, the line it stands on and its text. A 0x1A byte, the end-of-file mark
// of old systems, ends the text; the items after it are counted, not read, and none are when only
// blanks, line ends and marks follow it. Only the first `room` items are kept: the rest are checked
// and counted, so that a huge file takes no more memory than the sheet.
struct Count_Items {
  std::vector<Long> counts;  // the first items, at most `room`; none when there is a fault
  std::size_t total = 0;     // every item of the file, those beyond `room` included
  Count_Fault fault = Count_Fault::None;
  std::size_t bad_line = 0;    // the 1-based line of the item that is no count
  std::string bad_item;        // its text as stored (code page 932)
  std::size_t mark_line = 0;   // the line of a 0x1A byte with items after it, or 0
  std::size_t after_mark = 0;  // those items, not read
};
Count_Items read_count_items(std::string_view bytes, std::size_t room = std::numeric_limits<std::size_t>::max());

// One item as read_count_items takes it: an empty item is a zero count.
Count_Fault read_count_item(std::string_view item, Long& count);

// The same from a file, read part by part so that only a part of it is held at a time.
struct Count_File {
  Count_Items items;
  std::string failure;    // why the file could not be read (text/text_file.h's messages), or ""
  bool not_text = false;  // its first part looks like a binary file: nothing was read
};
Count_File read_count_file(const std::string& path, std::size_t room);

// The items a sheet under the current conditions can take: every standard and serum tube and
// the tubes of up to Max_Samples samples.
std::size_t count_room(const Assay_State& state);

// Stores the counts into the tables in sheet order under the current conditions: the standard
// rows, the control sera, then samples 1, 2, ... as far as the counts go, setting Sample_Number
// to the last sample reached (it stays as it was when no sample item is there). The tubes of the
// sheet that the counts do not reach are emptied (count 0), so that no count of an earlier file
// stays among them.
struct Stored_Counts {
  std::size_t left_over = 0;  // items that found no place: beyond sample 100,000, or every
                              // sample item when the samples have no tubes
  std::size_t missing = 0;    // tubes of the sheet that the file does not reach, now empty
};
Stored_Counts store_counts(Assay_State& state, const Count_Items& items);

// The file of the current counts: every tube of the sheet, Sample_Number samples included.
std::string count_file_bytes(const Assay_State& state);

}  // namespace quorin
