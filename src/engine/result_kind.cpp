#include "engine/result_kind.h"

#include <algorithm>

namespace quorin {

Long item_count(const Assay_State& s, Result_Kind kind) {
  const int standards = std::clamp<int>(s.STD_Number, 0, Max_Standards);
  switch (kind) {
    case Result_Kind::Standard_Data: return standards + 3;
    case Result_Kind::Standard_Conc: return standards;
    case Result_Kind::Sera: return std::clamp<int>(s.Sera_Number, 0, Max_Sera);
    case Result_Kind::Sample: return std::clamp<Long>(s.Sample_Number, 0, Max_Samples);
  }
  return 0;
}

}  // namespace quorin
