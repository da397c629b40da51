#include "engine/fit_choice.h"

#include "engine/logistic.h"

namespace quorin {

std::string fit_label(int weight_type, int order) {
  static const char* const weightings[Weight_Count] = {"重無", "重1 ", "重2 ", "重3 "};
  if (weight_type < 0 || weight_type >= Weight_Count) return "";
  return std::string(weightings[weight_type]) + (order == 1 ? "1次" : "3次");
}

bool fit_available(const Assay_State& state, int weight_type, int order) {
  if (weight_type < 0 || weight_type >= Weight_Count) return false;
  return state.Fit_Available(fit_index(weight_type, order));
}

void load_coefficients(Assay_State& state, int weight_type) {
  for (int m = 1; m <= 6; ++m) state.Reg_Work(Reg_Slot::A0 - 1 + m) = state.Reg_Coef(weight_type, m);
}

bool use_selected_fit(Assay_State& state) {
  if (!fit_available(state, state.Weight_Type, state.Reg_Order)) return false;
  load_coefficients(state, state.Weight_Type);
  return true;
}

std::string selected_fit_unavailable_message(const Assay_State& state) {
  const std::string label = fit_label(state.Weight_Type, state.Reg_Order);
  if (label.empty()) return "検量線が選ばれていません。検量線表示で検量線を選んでください";
  return "選ばれている検量線（" + label + "）は計算できていません。検量線表示で計算できる検量線を選んでください";
}

void name_weightings(Assay_State& state) {
  state.Weight_Name(0) = "重み付け無し";
  state.Weight_Name(1) = "標準点との距離";
  state.Weight_Name(2) = "Logit変換補正";
  state.Weight_Name(3) = "標準点との距離+Logit変換補正";
}

void choose_first_fit(Assay_State& state) {
  state.Reg_Order = 1;
  state.Weight_Type = 0;
  state.Curve_Model = Logit_Log;
  state.Model_Weight = 0;
}

}  // namespace quorin
