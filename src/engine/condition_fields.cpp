#include "engine/condition_fields.h"

#include "text/number_text.h"

namespace quorin {

std::optional<double> positive_value(std::string_view cleaned) {
  if (cleaned.empty()) return 0.0;
  const std::optional<double> value = text::number_only(cleaned);
  if (!value || !(*value > 0)) return std::nullopt;
  return value;
}

}  // namespace quorin
