#pragma once

#include <windows.h>

#include "form/Accessible.h"

namespace ui::win32 {

// The answer to WM_GETOBJECT for a control: for OBJID_CLIENT the system's own
// object for the window, with name, value, description and role of the
// control's model (ControlView.h), asked afresh at each question; 0 for
// anything else, and then the message goes on to the control.
// oleacc and COM are loaded by the first question, so a start that no screen
// reader looks at never loads them.
LRESULT accessibleObject(HWND control, WPARAM wParam, LPARAM lParam);

// The events a screen reader listens for, for what changed between two
// states of a control, one per change: none for what the system tells itself.
// `textShown`: the control's window text changed.
void announce(HWND control, const form::Accessible& before, const form::Accessible& now, bool textShown);

}  // namespace ui::win32
