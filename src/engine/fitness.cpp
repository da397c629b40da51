#include "engine/fitness.h"

#include <algorithm>

#include "engine/response.h"
#include "engine/solve.h"

namespace quorin {

void Fitness_Examination(Assay_State& s, const Curve_In_Force& curve) {
  install_curve(s, curve);
  const double nsb = s.STD_Data(STD_Row::NSB, STD_Column::Mean_Count);
  const double b0 = s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count);
  const int standards = std::clamp<int>(s.STD_Number, 0, Max_Standards);
  for (int i = 1; i <= standards; ++i) {
    const int row = 3 + i;
    const int tubes = std::clamp<int>(s.STD_Tube_N(row), 0, Max_Tubes);
    Running_Stats stats;
    for (int j = 1; j <= tubes; ++j) {
      const double percent = tube_percent(s.STD_Count(row, j), nsb, b0);
      // On a 4PL or 5PL a response outside the range between D and A reads as 0, and counts.
      double concentration = 0;
      if (curve.is_model()) {
        concentration = curve.model.concentration(percent).value_or(0);
      } else {
        s.Target_Logit = logit(clamp_percent(percent, 1, 99));
        Solution_of_Equations(s);
        concentration = concentration_of(s.Reg_Work(Reg_Slot::Answer)).value_or(0);
      }
      s.STD_Conc(row, j) = concentration;
      stats.add(concentration);
    }
    s.STD_Data(row, STD_Column::Back_Mean) = stats.mean();
    s.STD_Data(row, STD_Column::Back_Range) = stats.spread();
    s.STD_Data(row, STD_Column::Back_CV) = stats.cv();
  }
}

}  // namespace quorin
