#pragma once

#include <cstdint>
#include <memory>

// Looks at the X server through a connection of its own, independent of the
// one under test. Kept apart from Qt code because of the X11 macros.
class X11Probe {
public:
    X11Probe();  // opens $DISPLAY
    ~X11Probe();
    bool connected() const;
    bool numLockOn() const;
    bool hasWindowManager() const;
    bool keepsAbove(std::uint64_t window) const;
    // Position and size on the screen, frame excluded.
    struct Box {
        int x = 0, y = 0;
        unsigned width = 0, height = 0;
        bool operator==(const Box&) const = default;
    };
    Box geometry(std::uint64_t window) const;

private:
    struct Display;
    std::unique_ptr<Display> display_;
};
