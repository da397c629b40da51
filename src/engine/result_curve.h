#pragma once
// The curve every concentration of the results is read off: the logit-log fit chosen on the
// curve screen, or the 4PL or 5PL chosen on the model screen (Curve_Model, Model_Weight).

#include <optional>
#include <string>

#include "engine/logistic.h"
#include "engine/assay_state.h"

namespace quorin {

// True when the results use a 4PL or 5PL rather than the logit-log fit.
inline bool model_in_use(const Assay_State& state) {
  return state.Curve_Model == Four_PL || state.Curve_Model == Five_PL;
}

// Logit_Log, Four_PL or Five_PL: the kind of curve the results use.
inline int curve_in_use(const Assay_State& state) {
  return model_in_use(state) ? state.Curve_Model : static_cast<int>(Logit_Log);
}

// Makes the results' curve ready to be read off: the chosen logit-log fit made current
// (use_selected_fit), or the chosen model fitted afresh from the standards with Model_Weight and
// kept in Model_Param. False when it cannot be used; Model_Param is then left as it was.
bool use_result_curve(Assay_State& state);

// Why the results' curve cannot be used, naming the fit or the model and the reason.
std::string result_curve_unavailable_message(const Assay_State& state);

// The chosen model as use_result_curve left it in Model_Param.
Logistic chosen_model(const Assay_State& state);

// The concentration of a tube whose response is p (B/B0 in percent, not clamped) on the chosen
// model: nullopt outside the range between D and A (see Logistic::concentration).
inline std::optional<double> model_concentration(const Assay_State& state, double p) {
  return chosen_model(state).concentration(p);
}

// The curve as the screens name it: "ロジット・ログ 重無1次", "4PL 計数統計".
std::string result_curve_name(const Assay_State& state);

// The curve as the result titles name it after their "(": " 3次重み付け無し" for a logit-log fit
// (order and weighting), " 4PL 計数統計" for a model.
std::string result_curve_label(const Assay_State& state);

}  // namespace quorin
