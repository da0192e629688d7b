#pragma once

#include <QList>
#include <QPoint>
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

// Where a window's outer frame goes. The stored place is kept when any part of
// the frame lies on a screen (partly off-screen or negative is the user's
// choice); a frame entirely outside every screen, for example one stored while
// a second monitor was attached, goes to `fallback` on the primary screen's
// available area instead, so the window can never open where nobody sees it.
QPoint placeFrame(const QRect& frame, const QList<QRect>& screens, const QRect& primaryAvailable,
                  QPoint fallbackOffset);

}  // namespace ui::view
