#pragma once
// The result file: the 33 condition lines, then every standard tube and the summary of each
// standard row, a separator line, every control-serum tube and the summary of each serum, a
// separator line, and one line per sample with its summary and all its tubes. Numbers are in
// the general number form at full precision; code page 932, CR LF.

#include "engine/assay_state.h"
#include "text/text_file.h"

namespace quorin {

// Appends the lines after the condition lines: standards, sera and samples with their
// separators. The running tube number goes on from the standards through the sera and the
// samples (the sample lines do not show it).
// The sample lines of a large assay are made on several cores at once, giving the same bytes.
void write_result_sections(const Assay_State& state, text::Line_Writer& out);

// The same with the sample lines made in `parts` parts at once (engine/parallel.h).
void write_result_sections(const Assay_State& state, text::Line_Writer& out, int parts);

}  // namespace quorin
