#pragma once
// The labelled ticks of a logarithmic concentration axis: 1, 2 and 5 of each decade while there
// are few decades, the decades alone (or every other one) when there are many.

#include <string>
#include <vector>

namespace quorin {

// The ticks between `low` and `high` (concentrations above 0), at most Most_Ticks of them.
inline constexpr std::size_t Most_Ticks = 7;
std::vector<double> concentration_ticks(double low, double high);

// A tick's label: "0.5", "20", "1000".
std::string tick_text(double concentration);

}  // namespace quorin
