#include "X11Probe.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

struct X11Probe::Display {
    ::Display* x = nullptr;
    ~Display() {
        if (x != nullptr) XCloseDisplay(x);
    }
};

X11Probe::X11Probe() : display_(std::make_unique<Display>()) {
    display_->x = XOpenDisplay(nullptr);
}
X11Probe::~X11Probe() = default;

bool X11Probe::connected() const {
    return display_->x != nullptr;
}

bool X11Probe::numLockOn() const {
    XkbStateRec state{};
    XkbGetState(display_->x, XkbUseCoreKbd, &state);
    const unsigned mask = XkbKeysymToModifiers(display_->x, XK_Num_Lock);
    return mask != 0 && (state.locked_mods & mask) != 0;
}

bool X11Probe::hasWindowManager() const {
    ::Display* d = display_->x;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False), 0, 1,
                       False, XA_WINDOW, &type, &format, &count, &after, &data);
    const bool found = count == 1;
    if (data != nullptr) XFree(data);
    return found;
}

bool X11Probe::keepsAbove(std::uint64_t window) const {
    ::Display* d = display_->x;
    const Atom above = XInternAtom(d, "_NET_WM_STATE_ABOVE", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(d, static_cast<Window>(window), XInternAtom(d, "_NET_WM_STATE", False), 0, 64, False,
                       XA_ATOM, &type, &format, &count, &after, &data);
    bool found = false;
    for (unsigned long i = 0; data != nullptr && i < count; ++i)
        if (reinterpret_cast<const unsigned long*>(data)[i] == above) found = true;
    if (data != nullptr) XFree(data);
    return found;
}

X11Probe::Box X11Probe::geometry(std::uint64_t window) const {
    ::Display* d = display_->x;
    XWindowAttributes attributes{};
    XGetWindowAttributes(d, static_cast<Window>(window), &attributes);
    Window child = 0;
    Box box;
    XTranslateCoordinates(d, static_cast<Window>(window), DefaultRootWindow(d), 0, 0, &box.x, &box.y, &child);
    box.width = static_cast<unsigned>(attributes.width);
    box.height = static_cast<unsigned>(attributes.height);
    return box;
}
