#pragma once

#include <windows.h>

#include <string>

#include "form/Accessible.h"
#include "form/Controls.h"

namespace ui::win32 {

enum class Kind { Label, TextBox, TickBox, Button, Other };

// One model control and the system window that shows it.
struct ControlView {
    form::Control& control;
    Kind kind;
    HWND hwnd = nullptr;
    bool hasTip = false;
    bool threeState = false;  // a tick box made BS_AUTO3STATE to show the greyed value
    form::Accessible said{};  // what a screen reader was last told, once one asks
};

Kind kindOf(form::Control& control);

// The text as the control shows it.
std::wstring shownText(const ControlView& view);

std::wstring windowText(HWND hwnd);

// The controls of every form window, by window, with their own procedure:
// kept here rather than asked of the system, which would cost a call to the
// window manager per control at each start and per paint. The views live on
// the one thread that runs the windows.
struct Adopted {
    WNDPROC system;
    ControlView* view;
};

// Routes the control's messages to `proc`, which finds its own one here.
void adopt(ControlView& view, WNDPROC proc);
// The control's entry, or nullptr for a window not adopted or gone.
const Adopted* adopted(HWND control);
// Forgets the control, as its window goes.
void forget(HWND control);

}  // namespace ui::win32
