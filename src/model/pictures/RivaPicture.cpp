#include "model/pictures/RivaPicture.h"

#include <algorithm>
#include <array>

namespace model::pictures {

namespace {

constexpr double kWidth = 314;
constexpr double kHeight = 162;
constexpr double kHorizon = 104;

void drawSky(Drawing& d) {
    d.shapes.push_back(Gradient{.rect = {0, 0, kWidth, kHorizon}, .from = {4, 5, 14}, .to = {24, 28, 46}});
    // A few fixed stars, the same on every drawing.
    const std::array<Point, 14> stars{{{18, 12},
                                       {47, 30},
                                       {71, 8},
                                       {102, 22},
                                       {133, 6},
                                       {158, 27},
                                       {189, 14},
                                       {214, 33},
                                       {241, 9},
                                       {266, 24},
                                       {293, 11},
                                       {305, 36},
                                       {9, 41},
                                       {121, 39}}};
    for (std::size_t i = 0; i < stars.size(); ++i)
        d.shapes.push_back(Ellipse{stars[i], 1, 1, {200, 205, 230, std::uint8_t(i % 3 == 0 ? 220 : 120)}});
}

// The line from `from` towards `to`, ended where it leaves the canvas sideways.
Line within(Point from, Point to, Colour colour) {
    if (to.x < 0) to = {0, from.y + (to.y - from.y) * from.x / (from.x - to.x)};
    if (to.x > kWidth) to = {kWidth, from.y + (to.y - from.y) * (kWidth - from.x) / (to.x - from.x)};
    return Line{from, to, colour};
}

void drawRoad(Drawing& d) {
    d.shapes.push_back(Gradient{
        .rect = {0, kHorizon, kWidth, kHeight - kHorizon}, .from = {30, 30, 34}, .to = {12, 12, 14}});
    // Lane marks running to a vanishing point in the middle of the horizon.
    const Point vanish{kWidth / 2, kHorizon};
    for (double x : {-120, 40, 274, 434}) d.shapes.push_back(within(vanish, {x, kHeight}, {90, 90, 96}));
    // The middle line's dashes: 10 px on, 2 px off, from a pixel above the horizon.
    for (double y = kHorizon - 1; y < kHeight; y += 12)
        d.shapes.push_back(Line{{kWidth / 2, y}, {kWidth / 2, std::min(y + 10, kHeight)}, {170, 160, 90}, 2});
}

// The glow round the lit lamp: a red disc fading out to its rim, as rings
// laid one over another, each adding the opacity its radius lacks.
void drawGlow(Drawing& d, Point centre) {
    constexpr double kRadius = 34, kStep = 2;
    constexpr double kOpacity = 170 / 255.0;
    double below = 0;  // opacity of the rings painted so far
    for (double r = kRadius; r > 0; r -= kStep) {
        const double want = kOpacity * (1 - (r - kStep / 2) / kRadius);
        const double alpha = 1 - (1 - want) / (1 - below);
        d.shapes.push_back(Ellipse{centre, r, r, {255, 40, 20, std::uint8_t(alpha * 255 + 0.5)}});
        below = want;
    }
}

// The strip with its lamps; `lit` is the brightest lamp, the trail fades
// behind it to the left.
void drawScanner(Drawing& d) {
    constexpr int lamps = 8;
    constexpr int lit = 5;
    const Rect strip{27, 78, 260, 26};
    // Dark metal, lit along its top edge; its outline over both bands.
    const std::vector<Point> body = roundedRect(strip, 9);
    constexpr double kEdge = 4;
    d.shapes.push_back(Gradient{.rect = {strip.left, strip.top, strip.width, kEdge},
                                .from = {70, 72, 80},
                                .to = {16, 16, 20},
                                .clip = body});
    d.shapes.push_back(Gradient{.rect = {strip.left, strip.top + kEdge, strip.width, strip.height - kEdge},
                                .from = {16, 16, 20},
                                .to = {4, 4, 6},
                                .clip = body});
    d.shapes.push_back(Polygon{body, std::nullopt, Colour{95, 98, 108}});

    constexpr double lampWidth = 24, gap = 7;
    const double first = strip.left + (strip.width - lamps * lampWidth - (lamps - 1) * gap) / 2;
    for (int i = 0; i < lamps; ++i) {
        const int behind = lit - i;  // 0: the lit lamp, 1..: its trail
        const int level = behind == 0 ? 255 : behind > 0 && behind < 4 ? 200 - 55 * behind : 45;
        const Rect lamp{first + i * (lampWidth + gap), strip.top + 8, lampWidth, strip.height - 16};
        d.shapes.push_back(Polygon{.points = roundedRect(lamp, 2),
                                   .fill = Colour{std::uint8_t(level), std::uint8_t(level / 12), 0}});
        if (behind == 0) {
            // The glow round the lit lamp and its smear on the road below.
            drawGlow(d, {lamp.left + lamp.width / 2, lamp.top + lamp.height / 2});
            d.shapes.push_back(
                Gradient{.rect = {lamp.left - 6, kHorizon, lamp.width + 12, kHeight - kHorizon},
                         .from = {255, 30, 10, 90},
                         .to = {255, 30, 10, 0}});
        }
    }
}

}  // namespace

Drawing rivaPicture() {
    Drawing d{kWidth, kHeight, true, {}};
    drawSky(d);
    drawRoad(d);
    drawScanner(d);
    return d;
}

}  // namespace model::pictures
