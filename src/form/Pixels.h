#pragma once

#include "form/Control.h"

namespace form {

// The dpi every layout is drawn for: 15 twips to a pixel. A desktop at 120
// dpi gets proportionally larger windows.
inline constexpr double kBaseDpi = 96.0;

// A box on the desktop or in a window, in pixels.
struct PixelBox {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const PixelBox&) const = default;
};

// 1440 twips to the inch at `dpi` pixels to the inch. Non-finite or absurd
// values (a damaged stored position) are clamped rather than overflowing an int.
int toPx(double twips, double dpi);
// The twip nearest a pixel.
double toTwips(int px, double dpi);

// A twip box as pixels, rounding the edges rather than the size, so that
// boxes that touch in twips still touch on screen.
PixelBox toPx(const Rect& box, double dpi);

// A length given in pixels of a 96-dpi screen (a line's width, a border) at
// `dpi`, rounded to the nearest pixel.
int scalePx(double px, double dpi);

}  // namespace form
