#pragma once
// The eight fits of the standard curve (four weightings x first and third order): their index,
// their short labels, whether the last Regression could compute them, and making one of them
// the current curve that Solution_of_Equations solves.

#include <string>

#include "engine/assay_state.h"

namespace quorin {

constexpr int Weight_Count = 4;
constexpr int Fit_Count = 8;

// Index of a fit in ED50_Value and Fit_Available: the weighting for the straight line
// (order 1), 4 + the weighting for the cubic (any other order, as the solver reads Reg_Order).
inline int fit_index(int weight_type, int order) { return (order == 1 ? 0 : Weight_Count) + weight_type; }

// The short label of a fit as the weighting-comparison grids head their columns:
// "重無1次", "重無3次", "重1 1次", ... "重3 3次".
std::string fit_label(int weight_type, int order);

// True when the last Regression computed this fit; false before any Regression, for a
// weighting outside 0..3, and for a fit Regression reported unavailable.
bool fit_available(const Assay_State& state, int weight_type, int order);

// Copies Reg_Coef(weight_type, 1..6) into Reg_Work slots 29..34, the coefficients the solver uses.
void load_coefficients(Assay_State& state, int weight_type);

// Makes the user's choice (Weight_Type, Reg_Order) the current curve and tells whether it may be
// solved. Every computation that reports concentrations calls it first, so that the curve it
// solves is always the one the results name.
bool use_selected_fit(Assay_State& state);

// The names of the four weightings, as the curve screen heads its plots and the titles of the
// results name the fit; set once at start-up.
void name_weightings(Assay_State& state);

// The choice a curve screen starts from when it is opened: the first-order fit without
// weighting, the logit-log curve in use and the 4PL/5PL without weighting.
void choose_first_fit(Assay_State& state);

// The message for a selected fit that cannot be used, naming it.
std::string selected_fit_unavailable_message(const Assay_State& state);

// Keeps the user's choice (Weight_Type and Reg_Order) across a computation that steps through
// several fits, and puts it back when the computation leaves its scope.
class Curve_Choice_Keeper {
 public:
  explicit Curve_Choice_Keeper(Assay_State& state)
      : state_(state), weight_type_(state.Weight_Type), reg_order_(state.Reg_Order) {}
  ~Curve_Choice_Keeper() {
    state_.Weight_Type = weight_type_;
    state_.Reg_Order = reg_order_;
  }
  Curve_Choice_Keeper(const Curve_Choice_Keeper&) = delete;
  Curve_Choice_Keeper& operator=(const Curve_Choice_Keeper&) = delete;

 private:
  Assay_State& state_;
  Integer weight_type_;
  Integer reg_order_;
};

}  // namespace quorin
