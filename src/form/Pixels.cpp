#include "form/Pixels.h"

#include <algorithm>
#include <cmath>

namespace form {

namespace {
constexpr double kTwipsPerInch = 1440.0;
constexpr double kLimitPx = 1'000'000.0;  // far beyond any desktop, well inside int
}  // namespace

int toPx(double twips, double dpi) {
    const double px = twips * dpi / kTwipsPerInch;
    if (!std::isfinite(px)) return 0;
    return static_cast<int>(std::lround(std::clamp(px, -kLimitPx, kLimitPx)));
}

double toTwips(int px, double dpi) {
    return dpi > 0 ? std::round(px * kTwipsPerInch / dpi) : 0.0;
}

PixelBox toPx(const Rect& box, double dpi) {
    const int left = toPx(box.left, dpi);
    const int top = toPx(box.top, dpi);
    const int right = toPx(double(box.left) + box.width, dpi);
    const int bottom = toPx(double(box.top) + box.height, dpi);
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

int scalePx(double px, double dpi) {
    return toPx(px * (kTwipsPerInch / kBaseDpi), dpi);
}

}  // namespace form
