#pragma once
// A fingerprint of everything an assay holds that a file action could change: the conditions,
// every count of the sheet, the derived tables, the curve and the names of the files, read where
// they lie (no copy), so that taking it costs no more than reading the tables once. Two equal
// fingerprints mean the action left the assay as it was.

#include <cstdint>

#include "engine/assay_state.h"

namespace quorin::testing {

std::uint64_t assay_digest(const Assay_State& state);

}  // namespace quorin::testing
