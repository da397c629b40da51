#pragma once
// Concentrations of the sample and control-serum tubes read off the chosen standard curve, and
// the summary of each sample and serum.

#include <functional>
#include <optional>

#include "state/assay_state.h"

namespace quorin {

// Reads one tube off the curve the results use: the concentration at a B/B0 in percent (already
// held to the procedure's bounds), or nullopt where the curve gives none. The one place where
// the curve is plugged into the sample and serum procedures. It must be a pure function of the
// percent: the samples are read on several threads at once.
using Tube_Read_Off = std::function<std::optional<double>(double percent)>;

// The read-off of the chosen fit of the logit-log curve: the logit of the percent solved on the
// curve in Reg_Work (curve/solve.h), e^x when x is not above 700 (curve/response.h).
Tube_Read_Off logit_curve_read_off(const Assay_State& state);

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
// Makes the chosen fit current first; returns false and changes nothing when it is not
// available (curve/fit_choice.h). A large assay is shared among the machine's cores, with the
// same results as on one.
bool Assay_Samples(Assay_State& state);

// The work of Assay_Samples on a given read-off, in `parts` parts run at once (state/parallel.h).
void read_samples(Assay_State& state, const Tube_Read_Off& read_off, int parts);

// For control sera 1..Sera_Number: Sera_Tube_N (highest tube with a nonzero count), Sera_Conc
// of tubes 1..Sera_Tube_N, and Sera_Data columns 1 (mean), 2 (range), 3 (concentration CV %)
// and 5 (count CV % over tubes 1..Sera_Tube_N). Each counted tube's B/B0 is clamped to
// 0.5..99.5 % and always read off the curve. A tube inside the span that was not counted, or
// whose solver answer exceeds 700, has concentration 0 and stays out of the mean, range and CV;
// a serum with one such usable tube has that tube's concentration as its mean.
//
// Makes the chosen fit current first; returns false and changes nothing when it is not
// available.
bool Control_Sera(Assay_State& state);

// The work of Control_Sera on a given read-off.
void read_sera(Assay_State& state, const Tube_Read_Off& read_off);

}  // namespace quorin
