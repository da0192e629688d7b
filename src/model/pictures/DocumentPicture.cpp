#include "model/pictures/DocumentPicture.h"

#include <algorithm>
#include <cmath>

namespace model::pictures {

Size documentPictureSize(int buttonWidth, int buttonHeight) {
    const int side = std::clamp(std::min(buttonWidth, buttonHeight) - 6, 8, 24);
    return {side * 20 / 24, side};
}

Drawing documentPicture(int width, int height) {
    Drawing d{double(width), double(height), false, {}};
    // Edges on pixel centres: a one-pixel outline then covers whole pixels.
    const double left = 0.5, top = 0.5, right = width - 1.5, bottom = height - 0.5;
    const double fold = std::round(width / 3.0);
    const Colour edge{64, 64, 64};
    d.shapes.push_back(
        Polygon{{{left, top}, {right - fold, top}, {right, top + fold}, {right, bottom}, {left, bottom}},
                Colour{255, 255, 255},
                edge});
    d.shapes.push_back(Polygon{
        {{right - fold, top}, {right - fold, top + fold}, {right, top + fold}}, Colour{200, 200, 200}, edge});
    // Text lines every other row below the fold, the last one short, none
    // closer than two pixels to the bottom edge.
    const int lines = std::max(2, int((bottom - top - fold - 3) / 2.5));
    for (int k = 0; k < lines; ++k) {
        const double y = std::floor(top + fold + 3 + 2 * k) + 0.5;
        if (y > bottom - 2) break;
        const double start = left + 2.5, end = k == lines - 1 ? right - fold : right - 2.5;
        // Half a pixel past either end, as a square pen end would reach (on
        // the smallest sheets the short line runs backwards).
        d.shapes.push_back(
            Line{{std::min(start, end) - 0.5, y}, {std::max(start, end) + 0.5, y}, {70, 110, 190}});
    }
    return d;
}

}  // namespace model::pictures
