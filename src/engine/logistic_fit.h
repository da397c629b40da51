#pragma once
// Fitting the 4PL and the 5PL to the standard tubes by weighted nonlinear least squares
// (GSL's trust-region Levenberg-Marquardt), with the statistics the model comparison shows.

#include <array>
#include <string>
#include <vector>

#include "engine/assay_state.h"
#include "engine/logistic.h"

namespace quorin {

// One standard tube: its concentration (0 for the zero standard), its response
// p = 100 (count - NSB mean) / (B0 mean - NSB mean), not clamped, and its weight.
struct Model_Point {
  double x = 0;
  double p = 0;
  double w = 1;
};

struct Model_Points {
  std::vector<Model_Point> points;
  std::string problem;  // why the models cannot be fitted at all, "" when they can
};

// Every counted tube (1..STD_Tube_N) of the zero standard and of the standards Fit_From..Fit_To,
// weighted as `weighting` says (see Model_Weightings). No points and the problem, naming the
// standard concerned, when the range is not within 1..STD_Number, a concentration in it is not
// above 0, the B0 mean count is not above the NSB mean, or a mean the weighting divides by is
// not above 0.
Model_Points model_points(const Assay_State& state, int weighting);

struct Logistic_Fit {
  bool available = false;
  std::string problem;  // why not, naming the model; "" when available
  Logistic curve;
  std::array<double, 5> error{};  // standard errors of A, B, C, D, G from s^2 (J'WJ)^-1
  int n = 0;                      // points
  double rss = 0;                 // sum of w (p - f(x))^2
  double s = 0;                   // sqrt(rss / (n - k))
  double aic = 0;                 // n ln(rss / n) + 2 k; -infinity for a curve through every point
  Logistic_Uncertainty uncertainty;
};

// Minimises sum w (p - f(x))^2 over the parameters of start.kind, starting from `start`, until a
// Newton step changes no parameter by more than 1e-10 relative (models/newton_polish.h; C and G
// are fitted as their logarithms, which keeps them above 0). Unavailable, with the reason, when
// there are fewer points than parameters + 1 or fewer distinct concentrations (0 included) than
// parameters, when the fit does not converge or leaves a parameter undetermined or not finite,
// or when B is not above 0 or A not above D (a response that does not fall with the
// concentration from the zero standard's).
Logistic_Fit fit_logistic(const std::vector<Model_Point>& points, const Logistic& start);

// The 4PL's start: A = 100, D = 0 and B = -b, C = e^(-a/b) from the unweighted first-order
// logit-log line logit = a + b ln x of the standards Fit_From..Fit_To (their mean logits).
// Unavailable when that line cannot be fitted.
struct Start_Line {
  bool available = false;
  Logistic curve;
};
Start_Line four_pl_start(const Assay_State& state);

// Both models for one weighting: the 4PL from four_pl_start, the 5PL from the converged 4PL
// with G = 1. A model that cannot be fitted is unavailable with its reason.
struct Model_Fits {
  Model_Points points;
  Logistic_Fit four_pl;
  Logistic_Fit five_pl;
  const Logistic_Fit& of(int kind) const { return kind == Five_PL ? five_pl : four_pl; }
};
Model_Fits fit_models(const Assay_State& state, int weighting);

}  // namespace quorin
