#pragma once
// What a reader would see run together: on a printed page, a text leaving the page or crossing
// another text, a rule, a mark or a curve; on a screen, a control leaving its window or crossing
// another control, a caption longer than its control, a window larger than a 1366×768 screen.
// Texts are measured in the printouts' fixed-pitch face: a half-width character is half an em.

#include <string>
#include <vector>

#include "ui/form.h"

namespace quorin::testing {

// The recorded operations of a printer (pages ended by "end"), one finding per clash:
// "page 3: \"100\" crosses \"log(標準品濃度)\"".
std::vector<std::string> page_clashes(const std::vector<std::string>& ops);

// The same for a form and every control on it.
std::vector<std::string> form_clashes(const ui::Form& form);

}  // namespace quorin::testing
