#pragma once

#include "platform/Platform.h"

// Xlib's display type, named here so that callers need not pull in the X11
// headers and their macros.
struct _XDisplay;

namespace platform::linux_backend {

// One press and release of NumLock through the XTest extension.
Result pressNumLock(_XDisplay* display);

// The window manager's idea of the focused window (_NET_ACTIVE_WINDOW), 0 if
// none or not published.
WindowHandle activeWindow(_XDisplay* display);

// Asks the window manager to add or remove the window's "above" state; it
// neither moves nor resizes the window.
Result setKeepAbove(_XDisplay* display, WindowHandle window, bool on);

}  // namespace platform::linux_backend
