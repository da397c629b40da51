#include "curve/treatment_standard.h"

#include <algorithm>

#include "curve/response.h"

namespace quorin {

void Treatment_Standard(Assay_State& s) {
  const int standards = std::clamp<int>(s.STD_Number, 0, Max_Standards);
  const int tubes = std::clamp<int>(s.STD_Tubes, 0, Max_Tubes);
  const int groups = standards + 3;

  for (int g = 1; g <= groups; ++g) {
    int usable = 0;
    while (usable < tubes && s.STD_Count(g, usable + 1) != 0) ++usable;
    s.STD_Tube_N(g) = static_cast<Integer>(usable);
  }

  for (int g = 1; g <= groups; ++g) {
    const int v = s.STD_Tube_N(g);
    if (v == 0) continue;
    Running_Stats counts;
    for (int j = 1; j <= v; ++j) counts.add(s.STD_Count(g, j));
    s.STD_Data(g, 1) = counts.mean();
    s.STD_Data(g, 2) = counts.cv();
    if (g > 2) s.STD_Data(g, 3) = tube_percent(s.STD_Data(g, 1), s.STD_Data(1, 1), s.STD_Data(3, 1));
  }

  for (int k = 1; k <= standards; ++k) {
    const double percent = clamp_standard_percent(s.STD_Data(3 + k, 3));
    s.STD_Data(3 + k, 3) = percent;
    s.STD_Data(3 + k, 8) = logit(percent);
  }
}

}  // namespace quorin
