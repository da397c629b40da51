#pragma once
// The revision of the assay in force: a digest of every input a derived product (the fits, the
// curve in force, the model comparison, the result tables, the profile, the control sera's
// judgement) depends on. A computation keeps the digest of the inputs it used beside its results; whoever
// shows, prints or saves them compares it with the digest of the state in force, so that no way
// of changing an input (typing, loading a file, editing rows, choosing a fit) can go unnoticed.
// A new input of the curve or of the results (another curve model, say) is added here, in the
// scope it belongs to, and nowhere else.

#include <cstdint>

#include "engine/assay_state.h"

namespace quorin {

// Each scope holds everything of the one before it.
enum class Basis {
  Standards,  // the shape of the standard rows, their counts and the standard concentrations
  Curve,      // + the range of standards the fit uses
  Choice,     // + the curve in force: the kind chosen for the results, and for the logit-log fit
              //   its weighting, order and the coefficients of the fits, for a 4PL or 5PL its
              //   weighting (the model is fitted from the standards, so its parameters are not
              //   inputs); what the curve in force does not use is left out
  Results,    // + the control sera, the samples and the dilution factor
  Comparison  // Curve + every choice the model screen shows: the logit-log fit chosen and the
              //   coefficients of the fits, the 4PL/5PL weighting and the kind in use, and the unit
};

// Never 0, which stands for "not computed".
std::uint64_t basis_digest(const Assay_State& state, Basis scope);

// What the result tables, the profile and the printouts show beside the numbers of the results,
// no number of them depending on it: the samples' identifiers, the CV limit of the flags and the
// assay's texts (operator, date, substance, unit, assay number). A window shows the revision in
// force when both its basis and these are in force. Never 0.
std::uint64_t labels_digest(const Assay_State& state);

}  // namespace quorin
