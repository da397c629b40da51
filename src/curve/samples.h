#pragma once
// Concentrations of the sample and control-serum tubes read off the chosen standard curve, and
// the summary of each sample and serum.

#include "state/assay_state.h"

namespace quorin {

// For samples 1..Sample_Number: Sample_Tube_N (highest tube with a nonzero count), Sample_Conc
// of every tube 1..Sample_Tubes, and Sample_Data columns 0 (area code: the number of leading
// standards whose concentration is not above the mean), 1 (mean), 2 (range), 3 (mean x
// Dilution_Factor), 4 (concentration CV %) and 5 (count CV % over tubes 1..Sample_Tube_N,
// empty tubes inside included).
//
// A tube is usable when it was counted (count not 0), its B/B0 lies strictly between 0 and
// 100 % and the curve gives it a concentration (solver answer not above 700); the others get
// concentration 0 and stay out of the mean, range and CV.
//
// On a 4PL or 5PL chosen for the results (Curve_Model) a counted tube is usable when its response
// lies strictly between the model's D and A.
//
// Makes the results' curve ready first (models/result_curve.h); returns false and changes nothing
// when it is not available, or when there are samples and no dilution factor.
bool Assay_Samples(Assay_State& state);

// A dilution factor is a finite number above 0; 0 stands for none entered (a blank box or a
// condition file without one), and no sample value exists without one.
bool dilution_factor_valid(const Assay_State& state);

// For control sera 1..Sera_Number: Sera_Tube_N (highest tube with a nonzero count), Sera_Conc
// of tubes 1..Sera_Tube_N, and Sera_Data columns 1 (mean), 2 (range), 3 (concentration CV %)
// and 5 (count CV % over tubes 1..Sera_Tube_N). Each counted tube's B/B0 is clamped to
// 0.5..99.5 % and always read off the curve. A tube inside the span that was not counted, or
// whose solver answer exceeds 700, has concentration 0 and stays out of the mean, range and CV;
// a serum with one such usable tube has that tube's concentration as its mean.
//
// On a 4PL or 5PL a counted tube's response is not clamped: one outside the range between the
// model's D and A has concentration 0 and counts in the mean, range and CV.
//
// Makes the results' curve ready first; returns false and changes nothing when it is not
// available.
bool Control_Sera(Assay_State& state);

}  // namespace quorin
