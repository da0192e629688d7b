#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace platform::wayland {
class VirtualKeyboard;
}

namespace platform::qt {

class RemoteDesktop;

// Where a NumLock press goes: the one place that chooses. In an X11 session,
// XTest. Inside a Wayland session XTest reaches only Xwayland, so the first
// that works of: the compositor's virtual keyboard (wlroots desktops), the
// remote-desktop portal (GNOME, KDE; the user is asked), XTest into
// Xwayland. The choice is made when the heartbeat first starts with the
// window on screen, so a start with the heartbeat off connects to nothing.
class NumLockRoute {
public:
    struct X11Keys {
        std::function<Result()> available, press;  // XTest, with its reasons
    };
    explicit NumLockRoute(X11Keys x11);
    ~NumLockRoute();
    NumLockRoute(const NumLockRoute&) = delete;
    NumLockRoute& operator=(const NumLockRoute&) = delete;

    // What to say of the presses now. Before the choice, inside a Wayland
    // session, nothing is known and nothing is said.
    Result available() const;
    // Chooses the way, once; later calls only tell how things stand.
    Result choose();
    Result press();
    // Inside a Wayland session and not chosen yet.
    bool undecided() const;
    // Where the portal's consent token is kept.
    void setTokenFile(std::filesystem::path file) { tokenFile_ = std::move(file); }

    // Told when the standing changes after choose() returned: the desktop's
    // answer, a way that stopped working.
    std::function<void(const Result&)> onChange;
    // The window the desktop's question is asked for, as the portal names it
    // ("x11:<XID in hex>"), or empty.
    std::function<std::string()> parentWindow;
    // The desktop's question to its user opens (true) and is over (false).
    std::function<void(bool)> onQuestion;
    // A line for the user that is no answer (the consent file's trouble).
    std::function<void(const std::string&)> onWarning;

private:
    enum class Way { Undecided, X11, Keyboard, Portal };
    void next(const std::string& why);  // the way in use failed for `why`
    Result standing() const;

    X11Keys x11_;
    std::filesystem::path tokenFile_;
    Way way_ = Way::Undecided;
    std::vector<std::string> reasons_;  // why each way tried fell through
    std::unique_ptr<wayland::VirtualKeyboard> keyboard_;
    std::unique_ptr<RemoteDesktop> portal_;
};

}  // namespace platform::qt
