#pragma once

#include <QDBusServiceWatcher>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace platform::qt {

// Keeps the desktop session from going idle through the session bus: the
// desktop portal's Inhibit where a portal offers it (GNOME, KDE, sandboxes),
// org.freedesktop.ScreenSaver otherwise (KDE, Xfce and others). Either
// service drops the request when our bus connection ends, so a killed
// program leaves nothing behind; a portal that ends or restarts drops it
// too, so it is then taken again.
class IdleInhibitor {
public:
    IdleInhibitor() = default;
    ~IdleInhibitor();  // gives back what is held
    IdleInhibitor(const IdleInhibitor&) = delete;
    IdleInhibitor& operator=(const IdleInhibitor&) = delete;

    // Which service would take the request (in `note`), or why none can.
    Result available() const;
    // Takes (on) or gives back (off) the request; repeating either changes nothing.
    Result hold(bool on);
    bool held() const { return !portalRequest_.empty() || cookie_.has_value(); }

    // Told when the request had to be taken again (the portal holding it
    // went away): which service holds it now, or why none does.
    std::function<void(const Result&)> onChange;

private:
    Result take();
    void giveBack();
    void watchPortal();

    std::string portalRequest_;            // the portal's request object, while held through it
    std::optional<std::uint32_t> cookie_;  // the screen saver's cookie, while held through it
    std::unique_ptr<QDBusServiceWatcher> portalOwner_;
};

}  // namespace platform::qt
