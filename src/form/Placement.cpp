#include "form/Placement.h"

#include <algorithm>
#include <cstdint>

namespace form {

namespace {

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

}  // namespace form
