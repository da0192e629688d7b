#include "model/pictures/Drawing.h"

#include <cmath>
#include <numbers>

namespace model::pictures {

std::vector<Point> roundedRect(const Rect& r, double radius) {
    // Eight steps a quarter circle: under 0.05 px from the arc at the radii
    // the pictures use.
    constexpr int kSteps = 8;
    const double right = r.left + r.width, bottom = r.top + r.height;
    // Each corner's centre and the angle its arc starts at (y grows downwards).
    const struct {
        double x, y, start;
    } corners[] = {{right - radius, r.top + radius, -90},
                   {right - radius, bottom - radius, 0},
                   {r.left + radius, bottom - radius, 90},
                   {r.left + radius, r.top + radius, 180}};
    std::vector<Point> points;
    for (const auto& c : corners)
        for (int i = 0; i <= kSteps; ++i) {
            const double a = (c.start + 90.0 * i / kSteps) * std::numbers::pi / 180;
            points.push_back({c.x + radius * std::cos(a), c.y + radius * std::sin(a)});
        }
    return points;
}

}  // namespace model::pictures
