#pragma once
// The graph printout's page size. Graph_PRT itself is declared with the other screen procedures
// (state/targets.h).

namespace quorin {

// The printable height the printout assumes: A4 portrait less 12 mm margins at top and bottom,
// in twips (about 15477), as the printer layer sets up its pages.
inline constexpr double Printable_Height = (297.0 - 24.0) / 25.4 * 1440;

// The heights the two pages are laid out for: the standard plot page ends with the standard
// labels under the logit plot; the regression page stacks four blocks of 4000 twips, the last
// 4500 high.
inline constexpr double Standard_Page_Height = 12300;
inline constexpr double Regression_Page_Height = 4000 * 3 + 4500;

// The factor, at most 1, by which a page laid out `layout_height` twips high is scaled about its
// origin (every position, length and font size) so that it fits the printable height.
double page_scale(double layout_height);

}  // namespace quorin
