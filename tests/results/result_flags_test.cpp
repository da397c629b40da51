// The flags of the results at their edges: a value exactly at a limit is not flagged, the next
// value beyond it is.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>

#include "engine/result_flags.h"

namespace quorin {
namespace {

TEST(Result_Flags, SeraAndSamplesAtTheEdges) {
  const struct {
    const char* what;
    double mean, cv;
    int usable;
    std::optional<double> detection;
    const char* flags;
  } cases[] = {
      {"exactly the top standard", 40, 5, 2, {}, ""},
      {"just above the top standard", std::nextafter(40.0, 41.0), 5, 2, {}, ">"},
      {"exactly the lowest standard", 1, 5, 2, {}, ""},
      {"just below the lowest standard", std::nextafter(1.0, 0.0), 5, 2, {}, "<"},
      {"above the lowest standard, below the detection limit", 1.5, 5, 2, 2.0, "<"},
      {"exactly the detection limit", 2, 5, 2, 2.0, ""},
      {"exactly the limit CV", 20, 10, 2, {}, ""},
      {"just above the limit CV", 20, std::nextafter(10.0, 11.0), 2, {}, "CV"},
      {"one usable tube", 20, 0, 1, {}, "1"},
      {"no usable tube", 0, 0, 0, {}, "×"},
      {"beyond the top with scattered replicates, one tube left", 1134, 36, 1, {}, "> CV 1"},
  };
  for (const auto& c : cases) {
    Flag_Limits limits;
    limits.lowest = 1, limits.highest = 40, limits.cv_limit = 10, limits.detection = c.detection;
    EXPECT_EQ(flags_text(value_flags(c.mean, c.cv, c.usable, limits)), c.flags) << c.what;
  }
}

TEST(Result_Flags, RecoveryOfStandardsAndTheSummaryLine) {
  auto s = std::make_unique<Assay_State>();
  s->STD_Number = 4;
  const double nominal = 100, back[] = {80, 79.9, 120, 120.1};
  for (std::size_t k = 1; k <= 4; ++k) {
    s->STD_Data(k + 3, STD_Column::Concentration) = nominal;
    s->STD_Data(k + 3, STD_Column::Back_Mean) = back[k - 1];
  }
  const Flag_Limits limits = flag_limits(*s, nullptr);
  const char* expected[] = {"", "R", "", "R"};
  for (Long k = 1; k <= 4; ++k)
    EXPECT_EQ(flags_text(item_flags(*s, Result_Kind::Standard_Conc, k, limits)), expected[k - 1]) << back[k - 1];
  EXPECT_EQ(flag_summary(*s, Result_Kind::Standard_Conc, limits), "スタンダード 4 件中 2 件にフラグがあります (R 2)");

  // Three samples of two tubes: one good, one read above the top standard from one usable tube
  // (its second tube was counted but read no concentration), one never measured (not listed).
  s->Sample_Number = 3;
  s->Sample_Tubes = 2;
  for (Long i : {1, 2}) {
    s->Sample_Tube_N(i) = 2;
    s->Sample_Count(i, 1) = s->Sample_Count(i, 2) = 1000;
    s->Sample_Conc(i, 1) = i == 1 ? 99 : 150;
    s->Sample_Conc(i, 2) = i == 1 ? 101 : 0;
    s->Sample_Data(i, Sample_Column::Mean) = i == 1 ? 100 : 150;
    s->Sample_Data(i, Sample_Column::Conc_CV) = i == 1 ? 1.4 : 0;
  }
  const Flag_Limits sample_limits = flag_limits(*s, nullptr);
  EXPECT_EQ(flags_text(item_flags(*s, Result_Kind::Sample, 2, sample_limits)), "> 1");
  EXPECT_EQ(flag_summary(*s, Result_Kind::Sample, sample_limits), "サンプル 2 件中 1 件にフラグがあります (> 1, 1 1)");
  s->Sample_Number = 1;
  EXPECT_EQ(flag_summary(*s, Result_Kind::Sample, sample_limits), "サンプル 1 件にフラグはありません");
}

}  // namespace
}  // namespace quorin
