#include "form/Placement.h"

#include <algorithm>
#include <cstdint>

namespace form {

namespace {

// Where a first run opens, inside the work area.
constexpr double kFallbackTwips = 1000;

std::int64_t overlap(const PixelBox& a, const PixelBox& b) {
    const std::int64_t w =
        std::int64_t{std::min(a.left + a.width, b.left + b.width)} - std::max(a.left, b.left);
    const std::int64_t h =
        std::int64_t{std::min(a.top + a.height, b.top + b.height)} - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// The start of a span of `length` moved into [start, start + room).
int fit(int at, int length, int start, int room) {
    if (length >= room) return start;
    return std::clamp(at, start, start + room - length);
}

}  // namespace

PixelBox placeFrame(const PixelBox& frame, const std::vector<Screen>& screens, int fallbackOffset) {
    if (screens.empty()) return frame;
    const Screen* on = nullptr;
    std::int64_t most = 0;
    for (const Screen& screen : screens)
        if (const std::int64_t area = overlap(frame, screen.bounds); area > most) {
            most = area;
            on = &screen;
        }
    PixelBox placed = frame;
    if (!on) {
        on = &screens.front();
        placed.left = on->work.left + fallbackOffset;
        placed.top = on->work.top + fallbackOffset;
    }
    placed.left = fit(placed.left, placed.width, on->work.left, on->work.width);
    placed.top = fit(placed.top, placed.height, on->work.top, on->work.height);
    return placed;
}

PixelBox placeWindow(Window& window, const std::vector<Screen>& screens, double dpi) {
    const int left = toPx(window.left, dpi);
    const int top = toPx(window.top, dpi);
    const PixelBox frame{left, top, std::max(1, toPx(double(window.left) + window.width, dpi) - left),
                         std::max(1, toPx(double(window.top) + window.height, dpi) - top)};
    const PixelBox placed = placeFrame(frame, screens, toPx(kFallbackTwips, dpi));
    if (placed.left != left) window.left = float(toTwips(placed.left, dpi));
    if (placed.top != top) window.top = float(toTwips(placed.top, dpi));
    return placed;
}

void recordPosition(Window& window, int left, int top, double dpi) {
    if (left != toPx(window.left, dpi)) window.left = float(toTwips(left, dpi));
    if (top != toPx(window.top, dpi)) window.top = float(toTwips(top, dpi));
}

}  // namespace form
