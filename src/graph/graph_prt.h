#pragma once
// The graph printout's pages and their size. Graph_PRT itself, the curve screen's print job, is
// declared with the screen's procedures in graph/graph_procedures.h.

#include "ui/printer.h"

namespace quorin {

class Program;

// The page of the standards (B/B0 and logit plots); nothing, after telling the user why, when
// the concentrations cannot be plotted.
void print_standard_page(Program& program, ui::Printer& printer);
// The pages print_standard_page prints now: 1, or 0 when the concentrations cannot be plotted.
long standard_page_count(const Program& program);
// The page of the four weightings with their fitted curves, equations and ED50 values, from the
// last regression; the selected fit stays the current one.
void print_regression_page(Program& program, ui::Printer& printer);

// The heights the two pages are laid out for: the standard plot page ends with the standard
// labels under the logit plot; the regression page stacks four blocks of 4000 twips, the last
// 4500 high.
inline constexpr double Standard_Page_Height = 12300;
inline constexpr double Regression_Page_Height = 4000 * 3 + 4500;

// The factor, at most 1, by which a page laid out `layout_height` twips high is scaled about its
// origin (every position, length and font size) so that it fits the printer's printable height.
double page_scale(double printable_height, double layout_height);

}  // namespace quorin
