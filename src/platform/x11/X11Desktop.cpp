#include "platform/x11/X11Desktop.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace platform::x11 {

namespace {

// The window id held in a WINDOW property of `owner`, 0 if absent.
Window windowProperty(Display* display, Window owner, const char* name) {
    const Atom property = XInternAtom(display, name, False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, owner, property, 0, 1, False, XA_WINDOW, &type, &format,
                                          &count, &after, &data);
    Window window = 0;
    if (status == Success && type == XA_WINDOW && format == 32 && count == 1 && data != nullptr)
        window = *reinterpret_cast<const unsigned long*>(data);  // Xlib keeps 32-bit items in longs
    if (data != nullptr) XFree(data);
    return window;
}

// An X error in a check (a stale window id) must not end the program through
// Xlib's default handler; the check only needs to know that it failed. The
// handler is process-wide in Xlib, hence a flag at file level.
bool lastCheckFailed = false;
int noteError(Display*, XErrorEvent*) {
    lastCheckFailed = true;
    return 0;
}

bool supports(Display* display, const char* atomName) {
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", False);
    const Atom wanted = XInternAtom(display, atomName, False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(display, DefaultRootWindow(display), supported, 0, 4096, False, XA_ATOM, &type,
                           &format, &count, &after, &data) == Success &&
        type == XA_ATOM && format == 32 && data != nullptr) {
        const auto* atoms = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count && !found; ++i) found = atoms[i] == wanted;
    }
    if (data != nullptr) XFree(data);
    return found;
}

}  // namespace

Result keyInjectionAvailable(Display* display) {
    if (display == nullptr) return Result::failure("no X11 display");
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor))
        return Result::failure("the X server offers no key injection (XTest)");
    if (XKeysymToKeycode(display, XK_Num_Lock) == 0)
        return Result::failure("the keyboard has no NumLock key");
    return Result::success();
}

Result windowStackingAvailable(Display* display) {
    if (display == nullptr) return Result::failure("no X11 display");
    // A running EWMH window manager names a check window on the root that
    // names itself again (a stale property left by one that quit does not).
    const Window check = windowProperty(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK");
    XSync(display, False);
    lastCheckFailed = false;
    const auto previous = XSetErrorHandler(noteError);
    const Window self = check != 0 ? windowProperty(display, check, "_NET_SUPPORTING_WM_CHECK") : 0;
    XSync(display, False);
    XSetErrorHandler(previous);
    if (check == 0 || self != check || lastCheckFailed)
        return Result::failure("no EWMH window manager is running");
    if (!supports(display, "_NET_WM_STATE_ABOVE"))
        return Result::failure("the window manager does not support _NET_WM_STATE_ABOVE");
    if (!supports(display, "_NET_ACTIVE_WINDOW"))
        return Result::failure("the window manager does not publish _NET_ACTIVE_WINDOW");
    return Result::success();
}

Result sendNumLock(Display* display) {
    if (const Result usable = keyInjectionAvailable(display); !usable.ok) return usable;
    const KeyCode key = XKeysymToKeycode(display, XK_Num_Lock);
    XTestFakeKeyEvent(display, key, True, CurrentTime);
    XTestFakeKeyEvent(display, key, False, CurrentTime);
    XFlush(display);
    return Result::success();
}

WindowHandle foregroundWindow(Display* display) {
    if (display == nullptr) return 0;
    return windowProperty(display, DefaultRootWindow(display), "_NET_ACTIVE_WINDOW");
}

Result setTopMost(Display* display, WindowHandle window, bool on) {
    if (display == nullptr) return Result::failure("no X11 display");
    if (window == 0) return Result::failure("no window");
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.display = display;
    message.xclient.window = static_cast<Window>(window);
    message.xclient.message_type = XInternAtom(display, "_NET_WM_STATE", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = on ? 1 : 0;  // _NET_WM_STATE_ADD / _REMOVE
    message.xclient.data.l[1] = static_cast<long>(XInternAtom(display, "_NET_WM_STATE_ABOVE", False));
    message.xclient.data.l[2] = 0;
    message.xclient.data.l[3] = 1;  // source: a normal application
    const Status sent = XSendEvent(display, DefaultRootWindow(display), False,
                                   SubstructureRedirectMask | SubstructureNotifyMask, &message);
    XFlush(display);
    if (sent == 0) return Result::failure("the window manager could not be asked");
    return Result::success();
}

}  // namespace platform::x11
