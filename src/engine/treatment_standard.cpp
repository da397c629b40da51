#include "engine/treatment_standard.h"

#include <algorithm>

#include "engine/response.h"
#include "text/format.h"
#include "text/text_clean.h"

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
    if (v == 0) {
      for (int column = 1; column <= 3; ++column) s.STD_Data(g, column) = 0;
      continue;
    }
    Running_Stats counts;
    for (int j = 1; j <= v; ++j) counts.add(s.STD_Count(g, j));
    s.STD_Data(g, STD_Column::Mean_Count) = counts.mean();
    s.STD_Data(g, STD_Column::Count_CV) = counts.cv();
    if (g > 2)
      s.STD_Data(g, STD_Column::Percent) =
          tube_percent(s.STD_Data(g, STD_Column::Mean_Count), s.STD_Data(STD_Row::NSB, STD_Column::Mean_Count),
                       s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count));
  }

  for (int k = 1; k <= standards; ++k) {
    const double percent = clamp_standard_percent(s.STD_Data(3 + k, STD_Column::Percent));
    s.STD_Data(3 + k, STD_Column::Percent) = percent;
    s.STD_Data(3 + k, STD_Column::Logit) = logit(percent);
  }
}

namespace {
// A mean count as a message writes it: the general number form without its blanks.
std::string mean_text(double mean) { return text::Text_Clean(text::general_number(mean)); }
}  // namespace

bool response_defined(const Assay_State& s) {
  return s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count) > s.STD_Data(STD_Row::NSB, STD_Column::Mean_Count);
}

std::string response_problem(const Assay_State& s) {
  if (response_defined(s)) return "";
  return "ゼロスタンダード（B0）の平均カウント " + mean_text(s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count)) +
         " が NSB の平均カウント " + mean_text(s.STD_Data(STD_Row::NSB, STD_Column::Mean_Count)) +
         " 以下のため、B/B0 が求まりません";
}

}  // namespace quorin
