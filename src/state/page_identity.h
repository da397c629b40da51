#pragma once
// The line that names the assay at the foot of every printed page, so that a page separated
// from its report can be put back: the substance, the assay number, the date and the curve the
// results use.

#include <string>

#include "engine/assay_state.h"
#include "ui/printer.h"

namespace quorin {

std::string page_identity(const Assay_State& state);

// A print job the user starts from a screen: its pages name the assay at their foot, and more
// than 500 pages ask first.
ui::Job screen_print_job(const Assay_State& state);

}  // namespace quorin
