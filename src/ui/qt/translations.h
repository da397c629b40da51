#pragma once

namespace quorin::ui::qt {

// Makes Qt's own dialogs and buttons (file chooser, Yes/No, printer setup) speak Japanese, as the
// program's screens do, whatever the system's locale. False when Qt's Japanese texts are not
// installed (the dialogs then keep Qt's English).
bool install_qt_translations();

}  // namespace quorin::ui::qt
