#include "ui/qt/controls/ViewGeometry.h"

#include <algorithm>
#include <cmath>

namespace ui::view {

namespace {
// Far beyond any desktop, well inside int.
constexpr double kLimitPx = 1'000'000.0;
}  // namespace

int toPx(double twips, double scale) {
    const double px = twips * scale / kTwipsPerPixel;
    if (!std::isfinite(px)) return 0;
    return static_cast<int>(std::lround(std::clamp(px, -kLimitPx, kLimitPx)));
}

double toTwips(int px, double scale) {
    return std::round(px * kTwipsPerPixel / scale);
}

QRect toPx(const form::Rect& box, double scale) {
    const int left = toPx(box.left, scale);
    const int top = toPx(box.top, scale);
    const int right = toPx(double(box.left) + box.width, scale);
    const int bottom = toPx(double(box.top) + box.height, scale);
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

}  // namespace ui::view
