#pragma once
// The curve in force: the one curve every concentration of the results is read off, the
// logit-log fit chosen on the curve screen or the 4PL or 5PL chosen on the model screen
// (Curve_Model, Model_Weight). It is made once from the state and handed to every read-off, so
// nothing is fitted again while the standards, control sera and samples are read.

#include <optional>
#include <string>

#include "engine/assay_state.h"
#include "engine/logistic.h"
#include "engine/solve.h"

namespace quorin {

// True when the results use a 4PL or 5PL rather than the logit-log fit.
inline bool model_in_use(const Assay_State& state) {
  return state.Curve_Model == Four_PL || state.Curve_Model == Five_PL;
}

// Logit_Log, Four_PL or Five_PL: the kind of curve the results use.
inline int curve_in_use(const Assay_State& state) {
  return model_in_use(state) ? state.Curve_Model : static_cast<int>(Logit_Log);
}

struct Curve_In_Force {
  int kind = Logit_Log;  // Logit_Log, Four_PL or Five_PL
  int weighting = 0;     // Weight_Type for the logit-log fit, Model_Weight for a model
  int order = 1;         // Reg_Order of the logit-log fit
  int fit_from = 0;      // the standards it was fitted to
  int fit_to = 0;
  Logit_Log_Curve line;                    // the logit-log fit as the solver reads it
  Logistic model;                          // the 4PL or 5PL
  Logistic_Uncertainty model_uncertainty;  // of the 4PL or 5PL fit (engine/concentration_interval.h)
  bool is_model() const { return kind == Four_PL || kind == Five_PL; }
};

// A curve in force, or why there is none (naming the fit or the model and the reason).
struct Curve_Outcome {
  std::optional<Curve_In_Force> curve;
  std::string refusal;
};

// Makes the curve in force from the state: the chosen logit-log fit of the last Regression, or
// the chosen model fitted from the standards with Model_Weight. Changes nothing in the state.
Curve_Outcome make_curve_in_force(const Assay_State& state);

// Puts the curve into the state as the procedures that solve it expect: a logit-log fit's
// coefficients into Reg_Work slots 29..34 (load_coefficients), a model's A, B, C, D, G into
// Model_Param.
void install_curve(Assay_State& state, const Curve_In_Force& curve);

// The curve as the screens name it: "ロジット・ログ 重無1次", "4PL 計数統計".
std::string result_curve_name(const Assay_State& state);

// The curve as the result titles name it after their "(": " 3次重み付け無し" for a logit-log fit
// (order and weighting), " 4PL 計数統計" for a model.
std::string result_curve_label(const Assay_State& state);

}  // namespace quorin
