#include "engine/completeness.h"

namespace quorin {

Completeness assay_completeness(Assay_State& state) {
  state.Total_Tubes = (state.STD_Number + 3) * state.STD_Tubes + state.Sera_Number * state.Sera_Tubes +
                      state.Sample_Number * state.Sample_Tubes;
  if (state.STD_Number * state.STD_Tubes == 0 || state.Total_Tubes == 0) return Completeness::Nothing_To_Enter;
  for (int k = 1; k <= state.STD_Number; ++k)
    if (state.STD_Data(3 + k, STD_Column::Concentration) == 0) return Completeness::Conditions_Incomplete;
  for (int row = 3; row <= state.STD_Number + 3; ++row) {
    long long sum = 0;
    for (int tube = 1; tube <= state.STD_Tubes; ++tube) sum += state.STD_Count(row, tube);
    if (sum == 0) return Completeness::Standard_Not_Measured;
  }
  return Completeness::Complete;
}

}  // namespace quorin
