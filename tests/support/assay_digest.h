#pragma once
// A byte image of everything an assay holds that a file action could change: the conditions,
// every count of the sheet, the derived tables, the curve and the names of the files. Two equal
// digests mean the action left the assay exactly as it was.

#include <string>

#include "engine/assay_state.h"

namespace quorin::testing {

std::string assay_digest(const Assay_State& state);

}  // namespace quorin::testing
