#pragma once
// Drives a form the way a user does, through the model: focus moves, keys pressed before the
// text changes, clicks. Key codes are the virtual keys of ui/controls.h.

#include <string>

#include "state/program.h"
#include "ui/form.h"
#include "ui/scripted_platform.h"

namespace quorin::testing {

// The virtual key code of a typed character (digits and letters as themselves, upper case).
int key_code_of(char character);

// Gives the control the focus (firing lost focus on the one that had it).
void focus(ui::Control& control);

// Focuses the box, presses the keys of `typed` and leaves it holding exactly `typed`, as when a
// user selects the old text and types over it.
void type_over(ui::Text_Box& box, const std::string& typed);

// Presses one key in the focused control: key-down only (Enter, Up, Down...).
void press(ui::Control& control, int key_code);

// Changes a box's text without any key, as a mouse paste does.
void paste_with_mouse(ui::Text_Box& box, const std::string& text);

// Clicks a control (a button, a label, a text box).
void click(ui::Control& control);

// From the start-up screen through the wizard, its file dialogs answered with the two files.
void run_wizard(Program& program, ui::Scripted_Platform& platform, const std::string& conditions,
                const std::string& counts);

}  // namespace quorin::testing
