#pragma once
// The shape a competitive assay's curve must have to be read one way: the standards' counts fall
// as their concentration rises, and so does the fit read off them (logit(B/B0) against
// ln(concentration) falls). A curve that rises or turns back gives one count two concentrations,
// or a concentration far outside the standards.

#include <string>
#include <vector>

#include "engine/assay_state.h"

namespace quorin {

// True when c0 + c1 x + c2 x^2 + c3 x^3 falls across [low, high]: its derivative is nowhere above 0.
bool cubic_falls(double c1, double c2, double c3, double low, double high);

// The warnings about the shape of the curve just fitted (after Regression): the standards of the
// range whose mean count does not fall from one concentration to the next, and the chosen
// logit-log fit when it is a cubic that does not fall across the standards it was fitted to.
// None when no fit could be computed.
std::vector<std::string> curve_shape_warnings(const Assay_State& state);

// The second of them alone, for a screen that makes the chosen logit-log fit the curve in force;
// "" when the fit falls, is a line or is not available.
std::string chosen_fit_shape_warning(const Assay_State& state);

}  // namespace quorin
