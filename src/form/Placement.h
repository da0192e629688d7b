#pragma once

#include <vector>

namespace form {

// A box on the desktop in pixels.
struct PixelBox {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const PixelBox&) const = default;
};

// One monitor: all of it, and the part that windows may use (without the
// task bar or the panels).
struct Screen {
    PixelBox bounds;
    PixelBox work;
};

// Where a window's outer frame opens, the size unchanged. It goes on the
// screen it overlaps most; a frame on no screen at all (stored while a second
// monitor was attached) goes to `fallbackOffset` inside the first screen's
// work area, the primary one. Then it is moved, as little as it takes, to lie
// fully inside that work area; along a side that is too long for it, its
// top-left corner goes to the work area's, so the caption and the first
// controls stay in reach.
PixelBox placeFrame(const PixelBox& frame, const std::vector<Screen>& screens, int fallbackOffset);

}  // namespace form
