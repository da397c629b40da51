#include "graph/concentration_ticks.h"

#include <cmath>

#include "text/format.h"

namespace quorin {

std::vector<double> concentration_ticks(double low, double high) {
  std::vector<double> ticks;
  if (!(low > 0) || !(high > low)) return ticks;
  const int first = static_cast<int>(std::floor(std::log10(low)));
  const int last = static_cast<int>(std::ceil(std::log10(high)));
  const std::vector<std::vector<double>> steps = {{1, 2, 5}, {1}};
  for (int decade_step = 1;; ++decade_step) {
    for (const std::vector<double>& multiples : steps) {
      ticks.clear();
      for (int d = first; d <= last; d += decade_step)
        for (double m : multiples)
          if (const double tick = m * std::pow(10.0, d); tick >= low * (1 - 1e-9) && tick <= high * (1 + 1e-9))
            ticks.push_back(tick);
      if (ticks.size() <= Most_Ticks) return ticks;
    }
  }
}

std::string tick_text(double concentration) { return text::significant_text(concentration, 3); }

}  // namespace quorin
