#pragma once

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace model::pictures {

// A picture as a short list of shapes that any toolkit can paint: Qt with
// QPainter, Win32 with plain GDI (Polygon, Ellipse, LineTo, GradientFill,
// AlphaBlend where a colour is not opaque).
//
// Coordinates are logical pixels on the drawing's canvas, (0, 0) its top-left
// corner; pixel n spans n to n + 1, so a one-pixel line or outline that is to
// cover exactly one row of pixels lies on n + 0.5. A painter scales the
// canvas to the size it paints at.

struct Colour {
    std::uint8_t red = 0, green = 0, blue = 0;
    std::uint8_t alpha = 255;  // 255 opaque, 0 invisible; not premultiplied
    bool operator==(const Colour&) const = default;
};

struct Point {
    double x = 0, y = 0;
};

struct Rect {
    double left = 0, top = 0, width = 0, height = 0;
};

// A rectangle filled with one colour.
struct FilledRect {
    Rect rect;
    Colour colour;
};

// A rectangle filled with a colour that changes evenly from `from` at its top
// edge to `to` at its bottom edge (or left to right when not vertical); when
// `clip` has points, only the part inside that polygon is painted.
struct Gradient {
    Rect rect;
    Colour from, to;
    bool vertical = true;
    std::vector<Point> clip = {};
};

// A closed polygon, filled, outlined one pixel wide, or both.
struct Polygon {
    std::vector<Point> points;
    std::optional<Colour> fill = {};
    std::optional<Colour> outline = {};
};

// A filled ellipse, no outline.
struct Ellipse {
    Point centre;
    double radiusX = 0, radiusY = 0;
    Colour fill;
};

// A straight line `width` pixels wide with flat ends: it stops at its points.
struct Line {
    Point from, to;
    Colour colour;
    double width = 1;
};

using Shape = std::variant<FilledRect, Gradient, Polygon, Ellipse, Line>;

struct Drawing {
    double width = 0, height = 0;  // the canvas, logical pixels
    // Whether edges may be smoothed (antialiased). Off for a picture drawn to
    // the pixel, whose edges must stay sharp.
    bool smooth = false;
    std::vector<Shape> shapes;  // painted in order, each over the ones before
};

// The corners of `rect` rounded with `radius`, as a polygon (clockwise from
// the top edge), close enough to an arc to paint as one.
std::vector<Point> roundedRect(const Rect& rect, double radius);

}  // namespace model::pictures
