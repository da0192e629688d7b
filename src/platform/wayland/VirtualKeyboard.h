#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace platform::wayland {

// A keyboard of the program's own on the Wayland compositor, through the
// compositor's virtual-keyboard protocol (zwp_virtual_keyboard_manager_v1,
// offered by the wlroots desktops): its presses are input the compositor
// itself sees, so its idle clock starts over. The connection stays open
// between presses.
class VirtualKeyboard {
public:
    VirtualKeyboard();
    ~VirtualKeyboard();
    VirtualKeyboard(const VirtualKeyboard&) = delete;
    VirtualKeyboard& operator=(const VirtualKeyboard&) = delete;

    // Connects to the compositor WAYLAND_DISPLAY names and sets up the
    // keyboard with a keymap that has NumLock; or says why it cannot.
    Result open();
    // One press and release of NumLock. A compositor that went away since the
    // last press is connected to afresh, once.
    Result pressNumLock();

private:
    struct Connection;
    std::unique_ptr<Connection> connection_;
};

}  // namespace platform::wayland
