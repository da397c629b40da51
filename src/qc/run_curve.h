#pragma once
// The curve a run's control sera were read off, as the history keeps it beside the run.

#include <string>
#include <string_view>

namespace quorin {
struct Curve_In_Force;
}

namespace quorin::qc {

// The curve a run's sera were read off: the logit-log fit with its weighting (Weight_Type) and
// order, or the 4PL or 5PL with its weighting (Model_Weight), and the standards it was fitted to.
// Runs kept before the history recorded curves have an unknown curve.
inline constexpr int Unknown_Curve = -1;
inline constexpr int Mixed_Curves = -2;  // a target established from runs of different curves
struct Run_Curve {
  int kind = Unknown_Curve;  // Logit_Log, Four_PL, Five_PL, Unknown_Curve or Mixed_Curves
  int weighting = 0;
  int order = 0;  // 1 or 3 for the logit-log fit, 0 for a model
  int std_from = 0;
  int std_to = 0;
  bool known() const { return kind >= 0; }
  bool operator==(const Run_Curve&) const = default;
};

// "ロジット・ログ 重無1次", "4PL 計数統計", "不明", "複数の検量線".
std::string curve_name(const Run_Curve& curve);
// "STD 1～8", "" when unknown.
std::string curve_range_text(const Run_Curve& curve);
// The name and the range: "4PL 計数統計 (STD 1～8)", "不明".
std::string curve_text(const Run_Curve& curve);
// The kind as the history stores it: "logit-log", "4PL", "5PL", "unknown", "mixed"; and back.
std::string curve_kind_key(int kind);
int curve_kind_of_key(std::string_view key);

// The curve of the results in force.
Run_Curve run_curve(const Curve_In_Force& curve);

}  // namespace quorin::qc
