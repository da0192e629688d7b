#include "platform/linux/X11Desktop.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace platform::linux_backend {

Result pressNumLock(Display* display) {
    if (display == nullptr) return Result::failure("no X11 display");
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor))
        return Result::failure("the X server offers no key injection (XTest)");
    const KeyCode key = XKeysymToKeycode(display, XK_Num_Lock);
    if (key == 0) return Result::failure("the keyboard has no NumLock key");
    XTestFakeKeyEvent(display, key, True, CurrentTime);
    XTestFakeKeyEvent(display, key, False, CurrentTime);
    XFlush(display);
    return Result::success();
}

WindowHandle activeWindow(Display* display) {
    if (display == nullptr) return 0;
    const Atom property = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), property, 0, 1, False,
                                          XA_WINDOW, &type, &format, &count, &after, &data);
    WindowHandle window = 0;
    if (status == Success && type == XA_WINDOW && format == 32 && count == 1 && data != nullptr)
        window = *reinterpret_cast<const unsigned long*>(data);  // Xlib keeps 32-bit items in longs
    if (data != nullptr) XFree(data);
    return window;
}

Result setKeepAbove(Display* display, WindowHandle window, bool on) {
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

}  // namespace platform::linux_backend
