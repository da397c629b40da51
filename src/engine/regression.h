#pragma once
// The standard curve: logit(B/B0) of the standards fitted against x = ln(concentration) by
// weighted least squares, as a straight line y = a + b x and as a cubic
// y = a0 + a1 x + a2 x^2 + a3 x^3, under each of the four weightings:
//   0 no weighting (w = 1), 1 distance to the standard points (w = D_i),
//   2 logit-transform correction (w = G_i), 3 both (w = D_i G_i).

#include <string>
#include <vector>

#include "engine/assay_state.h"

namespace quorin {

// What Regression could not compute. Each message is Japanese text a screen shows as it
// stands, names the standard or the fits concerned ("重1 3次" and so on, the labels of
// engine/fit_choice.h) and says why. Empty when all eight fits are available.
struct Regression_Result {
  std::vector<std::string> messages;
};

// Fits all eight curves over the standards Fit_From..Fit_To. The caller sets Fit_From and
// Fit_To from the curve screen's range boxes before calling (and refuses boxes that hold no
// valid number).
//
// Writes STD_Log_Conc of all STD_Number standards, Logit_Weight and Distance_Weight of the
// range, Reg_Coef of the four weightings, Reg_Work slots 1..40 (slots 29..34 end holding
// weighting 2, the last fitted), Weight_Sum, Fit_Available, and sets Plot_Stage to Curve_Stage::Curves.
// Weight_Type is restored before returning.
//
// Failure contract: a fit that cannot be computed is marked unavailable in Fit_Available and its
// coefficients are 0; the previous coefficients never survive. A line whose slope is not negative
// is unavailable too, but keeps its coefficients: the cubic of its weighting starts from it. Nothing written is NaN or
// infinite. All eight fits are unavailable when the range is not within 1..STD_Number with
// first <= last, when any standard's concentration is not above 0 (its STD_Log_Conc is then
// 0), when B/B0 is not defined (the zero standard's mean count not above the NSB mean), when a
// standard of the range has no usable tube, or when every standard of the range has the same
// B/B0 (a flat curve). A line needs two distinct concentrations with non-zero weight in the
// range, a cubic four and its own weighting's line. Weightings 1 and 3 are unavailable when the
// distance factor of a standard in the range is undefined (tubes lying exactly on the unweighted
// cubic) or when the unweighted cubic is unavailable.
Regression_Result Regression(Assay_State& state);

// Why Fit_Weighted could not compute one of its polynomials, or (not_falling, a line only) why it
// cannot be read: a line that does not fall with concentration is no competitive curve.
enum class Fit_Problem { none, too_few_concentrations, singular, not_finite, not_falling };

struct Fit_Outcome {
  Fit_Problem line = Fit_Problem::none;
  Fit_Problem cubic = Fit_Problem::none;
  int concentrations = 0;  // distinct concentrations with non-zero weight in the range
};

// One weighted fit of both polynomials for the weighting Weight_Type (0..3) with
// Distance_Weight and Logit_Weight as they stand, over Fit_From..Fit_To. Clears Reg_Work slots
// 1..40 (slot 0 is left alone), keeps the sums S1..S6, T0..T3 and the elimination terms in
// slots 1..28, the coefficients in slots 29..34 and Reg_Coef(Weight_Type, 1..6), S0 in
// Weight_Sum, and sets Fit_Available of both polynomials of the weighting.
//
// The coefficients are those of the closed-form elimination. Where one of its divisors is
// exactly 0 or its curve departs from an independent QR solution of the same least-squares
// problem (the elimination loses its pivots for standards placed symmetrically about
// concentration 1), the QR solution is taken instead.
Fit_Outcome Fit_Weighted(Assay_State& state);

// The logit-transform correction factor G of a standard whose mean B/B0 is `percent`:
// (P (100 - P))^2 / 1e8, that is (p (1 - p))^2 for the fraction p = P / 100. The variance of a
// logit is about that of p divided by it.
double logit_correction(double percent);

// One standard of a logit-log fit: x = ln(concentration), y = the logit of its mean B/B0, its
// weight under the fit's weighting, the distance factor in that weight (1 where the weighting has
// none) and its counted tubes.
struct Fit_Point {
  double x = 0, y = 0, w = 0;
  double distance = 1;
  int tubes = 0;
};

// The standards Fit_From..Fit_To with the weights the last Regression gave them under weighting
// `weight_type` (0..3): the distance factors from the unweighted cubic (Reg_Coef(0, 1..4)), the
// logit-transform correction from each standard's B/B0. Empty when the range or the weighting is
// not valid or a distance factor is not defined (weightings 1 and 3 are then unavailable).
std::vector<Fit_Point> fit_points(const Assay_State& state, int weight_type);

}  // namespace quorin
