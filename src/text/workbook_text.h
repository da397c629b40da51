#pragma once
// The texts of the workbooks the program writes.

#include <string>

namespace quorin::text {

// A text as a workbook's cell must hold it to show it unchanged. A spreadsheet reads "_xHHHH_"
// (a small x, four hex digits of either case) in a cell's text as the character HHHH, so the
// underscore that opens each such run of the text is written as "_x005F_" (an underscore):
// "_x0041_" gives "_x005F_x0041_", which shows as "_x0041_", not "A". Runs that share an
// underscore ("_x005F_x0041_") are each marked. Nothing else is: a spreadsheet takes an
// "_x005F_" that opens no such run ("_X0041_", "_x12345") for a damaged file.
std::string workbook_text(const std::string& value);

}  // namespace quorin::text
