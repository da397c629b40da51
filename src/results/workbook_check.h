#pragma once
// The check of a workbook file once the spreadsheet library has written it. The library writes
// each part of the workbook to a scratch file of its own without checking those writes, so a
// part cut short there (a full temporary folder, a limit on the size of files) would be packed
// and saved as if it were whole: the file is read back and every part inflated, checked against
// its checksum, and every XML part must end by closing the element it opened.

#include <string>

namespace quorin {

// "" when every part of the workbook at `path` is whole, else why not (naming the part).
std::string workbook_parts_whole(const std::string& path);

}  // namespace quorin
