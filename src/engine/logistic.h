#pragma once
// The logistic curve models of the response p (B/B0 in percent, NSB subtracted) against the
// concentration x, beside the logit-log fits of curve/:
//   4PL  f(x) = D + (A - D) / (1 + (x/C)^B)
//   5PL  f(x) = D + (A - D) / (1 + (x/C)^B)^G
// with C > 0 and G > 0 (G = 1 for the 4PL); f(0) = A, the response of the zero standard.

#include <array>
#include <optional>
#include <string>

namespace quorin {

// The curve the results are read off: the logit-log fit chosen on the curve screen, or one of
// the two logistic models. The values are those of Assay_State's Curve_Model.
enum Curve_Model_Kind : int { Logit_Log = 0, Four_PL = 1, Five_PL = 2 };
constexpr int Model_Kinds = 3;

// The weightings of the logistic fits (Assay_State's Model_Weight): 0 none (w = 1), 1 counting
// statistics (w = 1 / mean count of the tube's standard), 2 constant CV (w = 1 / (mean response
// of the tube's standard)^2).
constexpr int Model_Weightings = 3;

// "ロジット・ログ", "4PL", "5PL".
std::string model_name(int kind);
// "重み付け無し", "計数統計", "CV一定".
std::string model_weight_name(int weighting);

// The response at a concentration with its derivatives by the parameters as they are fitted: A,
// B, ln C, D and ln G (0 for the 4PL). The derivative by ln x is minus the one by ln C.
struct Logistic_Gradient {
  double f = 0;
  std::array<double, 5> d{};
};

// A response read off the curve with the curve's derivatives there: ln x, of the concentration
// that concentration(p) gives, and what gradient(x) gives.
struct Logistic_Read_Off {
  double log_x = 0;
  Logistic_Gradient gradient;
};

struct Logistic {
  int kind = Four_PL;
  double A = 100, B = 1, C = 1, D = 0, G = 1;

  // The number of parameters: 4 or 5.
  int parameters() const { return kind == Five_PL ? 5 : 4; }
  // A, B, C, D, G in this order.
  std::array<double, 5> values() const { return {A, B, C, D, G}; }

  // f(x); A at x = 0.
  double response(double x) const;
  // f(x) and its derivatives, in forms that neither overflow nor cancel where (x/C)^B is huge or
  // tiny; at x = 0 only A counts.
  Logistic_Gradient gradient(double x) const;
  // The concentration whose response is p, for p strictly between D and A; nullopt outside, and
  // where the answer is beyond e^700 (no representable concentration).
  std::optional<double> concentration(double p) const;
  // The same read-off with the derivatives at it, worked out from the (x/C)^B the read-off finds
  // rather than from x again (some ten fewer exponentials and logarithms per read-off).
  std::optional<Logistic_Read_Off> read_off(double p) const;
  // The concentration halfway between A and D: C for the 4PL, C (2^(1/G) - 1)^(1/B) for the 5PL.
  double ed50() const;
};

// What a fit leaves of its own uncertainty: the covariance s^2 (J'WJ)^-1 of A, B, ln C, D, ln G,
// the parameters as fitted (row-major 5 x 5; the 4PL's in the first 4 x 4), the residual
// variance s^2 = rss / (n - k) in the fit's weighted response scale, and its degrees of freedom
// n - k (n points, k parameters).
struct Logistic_Uncertainty {
  std::array<double, 25> covariance{};
  double variance = 0;
  int degrees_of_freedom = 0;
};

// The logit-log fit read on the same scale: p = 100 / (1 + e^-y) with y the fit's polynomial in
// ln x; 100 at x = 0, where the fit's top is fixed at the zero standard. `coefficients` are a0..a3
// of the cubic, or a, b, 0, 0 of the straight line.
double logit_log_response(const std::array<double, 4>& coefficients, double x);

}  // namespace quorin
