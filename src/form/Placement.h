#pragma once

#include <vector>

#include "form/Pixels.h"
#include "form/Window.h"

namespace form {

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

// The outer frame `window` asks for at `dpi`, placed by placeFrame on
// `screens` (the primary first); a window lost off every screen opens where a
// first run does, 1000 twips into the primary's work area. The model follows
// a move, so that shut-down stores where the window really was rather than
// the place it could not open at.
PixelBox placeWindow(Window& window, const std::vector<Screen>& screens, double dpi);

// Records in `window` where its outer frame's top-left corner now is. A side
// still where the model put it keeps the model's twips: going through whole
// pixels would turn a stored 1000 into 1005.
void recordPosition(Window& window, int left, int top, double dpi);

}  // namespace form
