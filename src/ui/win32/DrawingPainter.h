#pragma once

#include <windows.h>

#include "model/pictures/Drawing.h"

namespace ui::win32 {

// Paints `drawing` with GDI, its canvas stretched over `target` (device
// pixels): opaque shapes straight with FillRect, GdiGradientFill, Polygon,
// Ellipse and LineTo; a shape with any transparency through a coverage mask
// and GdiAlphaBlend, so that only the shape itself is blended. (The Gdi*
// forms are gdi32's own; msimg32 only forwards to them.) GDI draws no
// smoothed edges, so a smooth drawing keeps hard ones here.
void paintDrawing(HDC dc, const model::pictures::Drawing& drawing, const RECT& target);

}  // namespace ui::win32
