#include "text/workbook_text.h"

#include <cctype>
#include <string_view>

namespace quorin::text {

namespace {

// Whether `value` holds "_xHHHH_" at `at`.
bool escape_at(std::string_view value, std::size_t at) {
  if (value.size() - at < 7 || value[at] != '_' || value[at + 1] != 'x' || value[at + 6] != '_') return false;
  for (std::size_t k = at + 2; k < at + 6; ++k)
    if (!std::isxdigit(static_cast<unsigned char>(value[k]))) return false;
  return true;
}

}  // namespace

std::string workbook_text(const std::string& value) {
  if (value.find('_') == std::string::npos) return value;
  std::string written;
  for (std::size_t at = 0; at < value.size(); ++at)
    if (escape_at(value, at)) written += "_x005F_";
    else written += value[at];
  return written;
}

}  // namespace quorin::text
