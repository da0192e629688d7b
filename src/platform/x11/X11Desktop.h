#pragma once

#include "platform/Platform.h"

// Xlib's display type, named here so that callers need not pull in the X11
// headers and their macros.
struct _XDisplay;

namespace platform::x11 {

// One press and release of NumLock through the XTest extension.
Result sendNumLock(_XDisplay* display);

// The window manager's idea of the focused window (_NET_ACTIVE_WINDOW), 0 if
// none or not published.
WindowHandle foregroundWindow(_XDisplay* display);

// Asks the window manager to add or remove the window's "above" state; it
// neither moves nor resizes the window.
Result setTopMost(_XDisplay* display, WindowHandle window, bool on);

// Whether sendNumLock can work: a display with the XTest extension and a
// NumLock key.
Result keyInjectionAvailable(_XDisplay* display);

// Whether foregroundWindow and setTopMost can work: an EWMH window manager that
// publishes the active window and supports the "above" state.
Result windowStackingAvailable(_XDisplay* display);

}  // namespace platform::x11
