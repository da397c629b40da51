#include "text/csv_field.h"

#include <string_view>

namespace quorin::text {

std::string csv_field(const std::string& value) {
  if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
  std::string quoted = "\"";
  for (char c : value) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string csv_text_field(const std::string& value) {
  // An apostrophe of the text's own is marked too, so that two texts never give the same field.
  const bool marked = !value.empty() && std::string_view("=+-@\t\r'").find(value.front()) != std::string_view::npos;
  return csv_field(marked ? "'" + value : value);
}

}  // namespace quorin::text
