// The pictures as shapes: each stays on its canvas at every size it is drawn at.

#include <gtest/gtest.h>

#include "model/pictures/DocumentPicture.h"
#include "model/pictures/RivaPicture.h"

namespace {

using namespace model::pictures;

// Every point a shape can paint, corners of its outline or of its pen's width.
std::vector<Point> extent(const Shape& shape) {
    if (const auto* s = std::get_if<FilledRect>(&shape))
        return {{s->rect.left, s->rect.top}, {s->rect.left + s->rect.width, s->rect.top + s->rect.height}};
    if (const auto* s = std::get_if<Gradient>(&shape))
        return {{s->rect.left, s->rect.top}, {s->rect.left + s->rect.width, s->rect.top + s->rect.height}};
    if (const auto* s = std::get_if<Polygon>(&shape)) {
        std::vector<Point> out;
        const double pen = s->outline ? 0.5 : 0;
        for (const Point& p : s->points)
            out.insert(out.end(), {{p.x - pen, p.y - pen}, {p.x + pen, p.y + pen}});
        return out;
    }
    if (const auto* s = std::get_if<Ellipse>(&shape))
        return {{s->centre.x - s->radiusX, s->centre.y - s->radiusY},
                {s->centre.x + s->radiusX, s->centre.y + s->radiusY}};
    // A line's pen may reach past the canvas where it runs off it; painters clip.
    const auto& l = std::get<Line>(shape);
    return {l.from, l.to};
}

void expectOnCanvas(const Drawing& d) {
    ASSERT_FALSE(d.shapes.empty());
    for (std::size_t i = 0; i < d.shapes.size(); ++i)
        for (const Point& p : extent(d.shapes[i])) {
            EXPECT_TRUE(p.x >= -1e-9 && p.x <= d.width + 1e-9 && p.y >= -1e-9 && p.y <= d.height + 1e-9)
                << "shape " << i << " reaches (" << p.x << ", " << p.y << ") on " << d.width << " x "
                << d.height;
        }
}

TEST(Pictures, TheBrowsePictureIsAPage20By24WhereTheButtonHasRoomElseFitsItsFrame) {
    struct Case {
        int buttonWidth, buttonHeight;
        int width, height;
    };
    // The single-task window's button is 25 by 25 at 96 dpi.
    const Case cases[] = {{25, 25, 15, 19},  {40, 40, 20, 24}, {25, 100, 15, 19},
                          {100, 20, 11, 14}, {10, 10, 6, 8},   {0, -5, 6, 8}};
    for (const Case& c : cases) {
        const Size size = documentPictureSize(c.buttonWidth, c.buttonHeight);
        EXPECT_EQ(size.width, c.width) << c.buttonWidth << " x " << c.buttonHeight;
        EXPECT_EQ(size.height, c.height) << c.buttonWidth << " x " << c.buttonHeight;
    }
}

// Every size the browse button can show the picture at.
std::vector<Size> documentSizes() {
    std::vector<Size> sizes;
    for (int button = 14; button <= 30; ++button) sizes.push_back(documentPictureSize(button, button));
    return sizes;
}

TEST(Pictures, EveryShapeStaysOnItsCanvas) {
    expectOnCanvas(rivaPicture());
    for (const auto [width, side] : documentSizes()) {
        SCOPED_TRACE(side);
        expectOnCanvas(documentPicture(width, side));
    }
}

TEST(Pictures, TheDocumentsTextLinesStayInsideTheSheetAboveItsBottomEdge) {
    for (const auto [width, side] : documentSizes()) {
        SCOPED_TRACE(side);
        const Drawing d = documentPicture(width, side);
        int lines = 0;
        for (const Shape& shape : d.shapes)
            if (const auto* l = std::get_if<Line>(&shape)) {
                ++lines;
                // The outline runs along the first column, the last but one
                // and the last row: a text line stays off it, a white row
                // between it and the bottom edge.
                EXPECT_LE(l->from.y + 0.5, side - 2);
                EXPECT_GE(l->from.x, 1);
                EXPECT_LE(l->to.x, width - 2);
            }
        EXPECT_GE(lines, 1);
    }
}

TEST(Pictures, TheGlowIsStrongestAtTheLitLampAndFadesToNothingAtItsRim) {
    double through = 1;                     // how much of the background shows through at the centre
    const Drawing picture = rivaPicture();  // the rings point into it
    std::vector<const Ellipse*> rings;
    for (const Shape& shape : picture.shapes)
        if (const auto* e = std::get_if<Ellipse>(&shape); e && e->fill.red == 255) rings.push_back(e);
    ASSERT_GE(rings.size(), 10u);
    for (const Ellipse* ring : rings) through *= 1 - ring->fill.alpha / 255.0;
    EXPECT_NEAR(1 - through, 170 / 255.0, 0.03);
    EXPECT_EQ(rings.front()->radiusX, 34);
    EXPECT_LT(rings.front()->fill.alpha, 12);
}

}  // namespace
