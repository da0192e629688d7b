#pragma once

#include <QRect>

#include "form/Control.h"

namespace ui::view {

// Twips are 1/1440 inch: 15 to a pixel at 96 dpi. `scale` is the screen's
// logical dpi / 96, so a 120-dpi desktop gets proportionally larger windows.
inline constexpr double kTwipsPerPixel = 15.0;

// A twip coordinate as a pixel coordinate. Non-finite or absurd values (a
// damaged settings file) are clamped rather than overflowing an int.
int toPx(double twips, double scale);
double toTwips(int px, double scale);

// A twip box as pixels, rounding the edges rather than the size so that
// boxes that touch in twips still touch on screen.
QRect toPx(const form::Rect& box, double scale);

}  // namespace ui::view
