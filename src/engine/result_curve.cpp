#include "engine/result_curve.h"

#include "engine/fit_choice.h"
#include "engine/logistic_fit.h"
#include "text/format.h"

namespace quorin {

Curve_Outcome make_curve_in_force(const Assay_State& state) {
  Curve_In_Force curve;
  curve.kind = curve_in_use(state);
  curve.order = state.Reg_Order;
  curve.fit_from = state.Fit_From;
  curve.fit_to = state.Fit_To;
  if (!curve.is_model()) {
    curve.weighting = state.Weight_Type;
    if (!fit_available(state, state.Weight_Type, state.Reg_Order))
      return {std::nullopt, selected_fit_unavailable_message(state)};
    curve.line = logit_log_curve(state, state.Weight_Type);
    return {curve, ""};
  }
  curve.weighting = state.Model_Weight;
  const Logistic_Fit fit = fit_models(state, state.Model_Weight).of(state.Curve_Model);
  if (!fit.available)
    return {std::nullopt, "選ばれているモデル（" + model_name(state.Curve_Model) + " " +
                              model_weight_name(state.Model_Weight) + "）は使えません\n" + fit.problem +
                              "\nモデル比較の画面で使えるモデルを選んでください"};
  curve.model = fit.curve;
  curve.model_uncertainty = fit.uncertainty;
  return {curve, ""};
}

void install_curve(Assay_State& state, const Curve_In_Force& curve) {
  if (!curve.is_model()) return load_coefficients(state, curve.weighting);
  const auto values = curve.model.values();
  for (int i = 0; i < 5; ++i) state.Model_Param(1 + i) = values[i];
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
