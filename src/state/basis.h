#pragma once
// What the standard curve and the result tables were computed from: a digest of every input they
// depend on. A computation keeps the digest of the inputs it used beside its results; whoever
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
  Results     // + the fit chosen and its coefficients, the curve model chosen for the results
              //   (a 4PL or 5PL is fitted from the standards when it is read off, so its
              //   parameters are not inputs), the control sera, the samples and the dilution factor
};

// Never 0, which stands for "not computed".
std::uint64_t basis_digest(const Assay_State& state, Basis scope);

}  // namespace quorin
