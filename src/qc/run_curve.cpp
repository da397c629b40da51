#include "qc/run_curve.h"

#include "engine/fit_choice.h"
#include "engine/logistic.h"
#include "engine/result_curve.h"
#include "text/format.h"

namespace quorin::qc {

namespace {

constexpr const char* Kind_Keys[] = {"logit-log", "4PL", "5PL"};

}  // namespace

std::string curve_name(const Run_Curve& curve) {
  if (curve.kind == Logit_Log) return model_name(Logit_Log) + " " + fit_label(curve.weighting, curve.order);
  if (curve.kind == Four_PL || curve.kind == Five_PL)
    return model_name(curve.kind) + " " + model_weight_name(curve.weighting);
  return curve.kind == Mixed_Curves ? "複数の検量線" : "不明";
}

std::string curve_range_text(const Run_Curve& curve) {
  if (!curve.known()) return "";
  return "STD " + text::bare_text(curve.std_from) + "～" + text::bare_text(curve.std_to);
}

std::string curve_text(const Run_Curve& curve) {
  return curve.known() ? curve_name(curve) + " (" + curve_range_text(curve) + ")" : curve_name(curve);
}

std::string curve_kind_key(int kind) {
  if (kind == Mixed_Curves) return "mixed";
  return kind >= 0 && kind < static_cast<int>(std::size(Kind_Keys)) ? Kind_Keys[kind] : "unknown";
}

int curve_kind_of_key(std::string_view key) {
  for (int kind = 0; kind < static_cast<int>(std::size(Kind_Keys)); ++kind)
    if (key == Kind_Keys[kind]) return kind;
  return key == "mixed" ? Mixed_Curves : Unknown_Curve;
}

Run_Curve run_curve(const Curve_In_Force& curve) {
  return {curve.kind, curve.weighting, curve.is_model() ? 0 : curve.order, curve.fit_from, curve.fit_to};
}

}  // namespace quorin::qc
