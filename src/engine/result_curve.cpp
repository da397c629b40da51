#include "engine/result_curve.h"

#include "engine/fit_choice.h"
#include "engine/logistic_fit.h"
#include "text/format.h"

namespace quorin {

bool use_result_curve(Assay_State& state) {
  if (!model_in_use(state)) return use_selected_fit(state);
  const Logistic_Fit fit = fit_models(state, state.Model_Weight).of(state.Curve_Model);
  if (!fit.available) return false;
  const auto values = fit.curve.values();
  for (int i = 0; i < 5; ++i) state.Model_Param(1 + i) = values[i];
  return true;
}

std::string result_curve_unavailable_message(const Assay_State& state) {
  if (!model_in_use(state)) return selected_fit_unavailable_message(state);
  const Logistic_Fit fit = fit_models(state, state.Model_Weight).of(state.Curve_Model);
  return "選ばれているモデル（" + model_name(state.Curve_Model) + " " + model_weight_name(state.Model_Weight) +
         "）は使えません\n" + fit.problem + "\nモデル比較の画面で使えるモデルを選んでください";
}

Logistic chosen_model(const Assay_State& state) {
  Logistic curve;
  curve.kind = state.Curve_Model;
  curve.A = state.Model_Param(1);
  curve.B = state.Model_Param(2);
  curve.C = state.Model_Param(3);
  curve.D = state.Model_Param(4);
  curve.G = state.Model_Param(5);
  return curve;
}

std::string result_curve_name(const Assay_State& state) {
  if (model_in_use(state)) return model_name(state.Curve_Model) + " " + model_weight_name(state.Model_Weight);
  return model_name(Logit_Log) + " " + fit_label(state.Weight_Type, state.Reg_Order);
}

std::string result_curve_label(const Assay_State& state) {
  if (model_in_use(state)) return " " + model_name(state.Curve_Model) + " " + model_weight_name(state.Model_Weight);
  const bool known_weight = state.Weight_Type >= 0 && state.Weight_Type <= 3;
  return text::signed_text(state.Reg_Order) + "次" + (known_weight ? state.Weight_Name(state.Weight_Type) : "");
}

}  // namespace quorin
