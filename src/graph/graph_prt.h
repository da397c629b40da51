#pragma once
// The graph printout's page size. Graph_PRT itself is declared with the other screen procedures
// (state/screen_procedures.h).

namespace quorin {

// The heights the two pages are laid out for: the standard plot page ends with the standard
// labels under the logit plot; the regression page stacks four blocks of 4000 twips, the last
// 4500 high.
inline constexpr double Standard_Page_Height = 12300;
inline constexpr double Regression_Page_Height = 4000 * 3 + 4500;

// The factor, at most 1, by which a page laid out `layout_height` twips high is scaled about its
// origin (every position, length and font size) so that it fits the printer's printable height.
double page_scale(double printable_height, double layout_height);

}  // namespace quorin
