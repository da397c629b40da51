#pragma once
// Concentrations of the sample and control-serum tubes read off the chosen standard curve, and
// the summary of each sample and serum.

#include <functional>
#include <optional>

#include "engine/assay_state.h"
#include "engine/result_curve.h"

namespace quorin {

// Reads one tube off the curve the results use: the concentration of a tube whose B/B0 in
// percent is given (not clamped), or nullopt for a tube that is not usable. The one place where
// a curve is plugged into the sample and serum procedures. It must be a pure function of the
// percent: the samples are read on several threads at once.
using Tube_Read_Off = std::function<std::optional<double>(double percent)>;

// The read-offs of the curve in force. For a sample tube on the logit-log fit: usable when its B/B0 lies strictly
// between 0 and 100 % and the solver's answer is not above 700; on a 4PL or 5PL: when its response lies strictly
// between the model's D and A. For a serum tube on the logit-log fit: its B/B0 clamped to 0.5..99.5 %, usable when the
// answer is not above 700; on a 4PL or 5PL a response outside the range between D and A has concentration 0 and is
// usable.
Tube_Read_Off sample_read_off(const Curve_In_Force& curve);
Tube_Read_Off serum_read_off(const Curve_In_Force& curve);

// The side of the curve's range that a counted tube the curve gives no concentration lies beyond,
// by its B/B0 in percent: below the range for a response at or above the curve's top (counts at
// or above the zero standard's on the logit-log fit, at or above A on a 4PL or 5PL), above it for
// one at or below its bottom (at or below the NSB, at or below D) or whose concentration would be
// beyond what the program can hold.
enum class Range_Side { Below, Above };
Range_Side unread_side(const Curve_In_Force& curve, double percent);
// The same without a curve, by the B/B0 alone (100 % is the logit-log fit's top).
Range_Side unread_side(double percent);

// For samples 1..Sample_Number: Sample_Tube_N (highest tube with a nonzero count), Sample_Conc
// of every tube 1..Sample_Tubes, and Sample_Data columns 0 (area code: the number of leading
// standards whose concentration is not above the mean), 1 (mean), 2 (range), 3 (mean x
// Dilution_Factor), 4 (concentration CV %) and 5 (count CV % over tubes 1..Sample_Tube_N,
// empty tubes inside included).
//
// A tube is usable when it was counted (count not 0) and the sample read-off gives it a
// concentration; the others get concentration 0 and stay out of the mean, range and CV.
//
// Returns false and changes nothing when there are samples and no dilution factor. A large
// assay is shared among the machine's cores, with the same results as on one.
bool Assay_Samples(Assay_State& state, const Curve_In_Force& curve);

// A dilution factor is a finite number above 0; 0 stands for none entered (a blank box or a
// condition file without one), and no sample value exists without one.
bool dilution_factor_valid(const Assay_State& state);

// The work of Assay_Samples on a given read-off, in `parts` parts run at once (engine/parallel.h).
void read_samples(Assay_State& state, const Tube_Read_Off& read_off, int parts);

// For control sera 1..Sera_Number: Sera_Tube_N (highest tube with a nonzero count), Sera_Conc
// of tubes 1..Sera_Tube_N, and Sera_Data columns 1 (mean), 2 (range), 3 (concentration CV %)
// and 5 (count CV % over tubes 1..Sera_Tube_N). Every counted tube goes through the serum
// read-off. A tube inside the span that was not counted, or that the read-off gives no
// concentration, has concentration 0 and stays out of the mean, range and CV; a serum with one
// usable tube has that tube's concentration as its mean.
//
void Control_Sera(Assay_State& state, const Curve_In_Force& curve);

// The work of Control_Sera on a given read-off.
void read_sera(Assay_State& state, const Tube_Read_Off& read_off);

}  // namespace quorin
