#include "state/curve_fitting.h"

#include "engine/curve_shape.h"
#include "engine/fit_choice.h"
#include "engine/plot_axes.h"
#include "engine/regression.h"
#include "engine/treatment_standard.h"
#include "state/basis.h"

namespace quorin {

Curve_Fitting Fit_Curves(Assay_State& state) {
  Curve_Fitting fitting;
  Treatment_Standard(state);
  if (fitting.refusal = plot_problem(state); !fitting.refusal.empty()) return fitting;
  fitting.problems = Regression(state).messages;
  for (std::string& warning : curve_shape_warnings(state)) fitting.problems.push_back(std::move(warning));
  state.Curve_Basis = basis_digest(state, Basis::Curve);
  fitting.grids = std::make_unique<Weight_Grids>();
  Weight_Table(state, *fitting.grids);
  if (!fit_available(state, state.Weight_Type, state.Reg_Order))
    fitting.problems.push_back(selected_fit_unavailable_message(state));
  return fitting;
}

std::string Fit_Report::next(const std::vector<std::string>& problems) {
  std::string text;
  for (const std::string& problem : problems) text += (text.empty() ? "" : "\n") + problem;
  const bool is_new = text != last_;
  last_ = text;
  return is_new ? text : "";
}

}  // namespace quorin
