#include "ui/win32/DrawingPainter.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "ui/win32/Gdi.h"

namespace ui::win32 {

namespace {

namespace pic = model::pictures;

COLORREF rgb(const pic::Colour& c) {
    return RGB(c.red, c.green, c.blue);
}

// Canvas coordinates to device pixels. A point on n + 0.5 (the middle of
// canvas pixel n) lands in device pixel n at scale 1.
struct Mapper {
    double left, top, sx, sy;
    int x(double cx) const { return static_cast<int>(std::floor(left + cx * sx)); }
    int y(double cy) const { return static_cast<int>(std::floor(top + cy * sy)); }
    POINT point(const pic::Point& p) const { return {x(p.x), y(p.y)}; }
    RECT rect(const pic::Rect& r) const {
        return {static_cast<int>(std::lround(left + r.left * sx)),
                static_cast<int>(std::lround(top + r.top * sy)),
                static_cast<int>(std::lround(left + (r.left + r.width) * sx)),
                static_cast<int>(std::lround(top + (r.top + r.height) * sy))};
    }
    std::vector<POINT> points(const std::vector<pic::Point>& ps) const {
        std::vector<POINT> out;
        for (const pic::Point& p : ps) out.push_back(point(p));
        return out;
    }
};

// Restores the DC's objects and clipping when it goes out of scope.
class SavedDc {
public:
    explicit SavedDc(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDc() { RestoreDC(dc_, saved_); }
    SavedDc(const SavedDc&) = delete;
    SavedDc& operator=(const SavedDc&) = delete;

private:
    HDC dc_;
    int saved_;
};

void fillPolygon(HDC dc, const std::vector<POINT>& points, COLORREF fill) {
    const SavedDc saved(dc);
    UniqueBrush brush(CreateSolidBrush(fill));
    SelectObject(dc, brush.get());
    SelectObject(dc, GetStockObject(NULL_PEN));
    // The null pen leaves the right and bottom edges out; the outline, if
    // any, covers them.
    ::Polygon(dc, points.data(), static_cast<int>(points.size()));
}

void outlinePolygon(HDC dc, std::vector<POINT> points, COLORREF colour, int width) {
    const SavedDc saved(dc);
    UniquePen pen(CreatePen(PS_SOLID, width, colour));
    SelectObject(dc, pen.get());
    points.push_back(points.front());
    Polyline(dc, points.data(), static_cast<int>(points.size()));
}

void clipTo(HDC dc, const std::vector<POINT>& polygon) {
    if (polygon.size() < 3) return;
    HRGN region = CreatePolygonRgn(polygon.data(), static_cast<int>(polygon.size()), WINDING);
    if (!region) return;
    // The region is in device units; the DC's viewport origin must be applied.
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    OffsetRgn(region, origin.x, origin.y);
    ExtSelectClipRgn(dc, region, RGN_AND);
    DeleteObject(region);
}

void gradientFill(HDC dc, const RECT& r, const pic::Colour& from, const pic::Colour& to, bool vertical) {
    auto vertex = [](LONG x, LONG y, const pic::Colour& c) {
        return TRIVERTEX{x,
                         y,
                         static_cast<COLOR16>(c.red << 8),
                         static_cast<COLOR16>(c.green << 8),
                         static_cast<COLOR16>(c.blue << 8),
                         0xFF00};
    };
    TRIVERTEX vertices[2] = {vertex(r.left, r.top, from), vertex(r.right, r.bottom, to)};
    GRADIENT_RECT rect{0, 1};
    GdiGradientFill(dc, vertices, 2, &rect, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

// One part of a shape: how to draw it in a given colour, and its colour at
// each device pixel.
struct Part {
    RECT bounds;
    std::function<void(HDC dc, COLORREF solid)> draw;  // solid: the shape's own colours if CLR_INVALID
    std::function<pic::Colour(int x, int y)> colourAt;
    bool opaque;
};

// Blends a translucent part over `dc`: the part drawn white on black gives
// its coverage, which times the colour's alpha is each pixel's alpha.
void blend(HDC dc, const Part& part) {
    RECT bounds = part.bounds;
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0) return;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!memory || !bitmap || !bits) {
        if (bitmap) DeleteObject(bitmap);
        if (memory) DeleteDC(memory);
        return;
    }
    const HGDIOBJ old = SelectObject(memory, bitmap);
    {
        const SavedDc saved(memory);
        SetViewportOrgEx(memory, -bounds.left, -bounds.top, nullptr);
        RECT all = bounds;
        FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        part.draw(memory, RGB(255, 255, 255));
    }
    GdiFlush();
    auto* pixel = static_cast<std::uint8_t*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x, pixel += 4) {
            const int coverage = pixel[2];  // red channel of the mask
            const pic::Colour c = part.colourAt(bounds.left + x, bounds.top + y);
            const int alpha = coverage * c.alpha / 255;
            pixel[0] = static_cast<std::uint8_t>(c.blue * alpha / 255);
            pixel[1] = static_cast<std::uint8_t>(c.green * alpha / 255);
            pixel[2] = static_cast<std::uint8_t>(c.red * alpha / 255);
            pixel[3] = static_cast<std::uint8_t>(alpha);
        }
    const BLENDFUNCTION function{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, bounds.left, bounds.top, width, height, memory, 0, 0, width, height, function);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

RECT boundsOf(const std::vector<POINT>& points, int margin) {
    RECT r{points.front().x, points.front().y, points.front().x, points.front().y};
    for (const POINT& p : points) {
        r.left = std::min(r.left, p.x);
        r.top = std::min(r.top, p.y);
        r.right = std::max(r.right, p.x);
        r.bottom = std::max(r.bottom, p.y);
    }
    InflateRect(&r, margin, margin);
    return r;
}

std::function<pic::Colour(int, int)> solid(const pic::Colour& c) {
    return [c](int, int) { return c; };
}

pic::Colour mix(const pic::Colour& a, const pic::Colour& b, double t) {
    auto lerp = [t](std::uint8_t u, std::uint8_t v) {
        return static_cast<std::uint8_t>(std::lround(u + (v - u) * t));
    };
    return {lerp(a.red, b.red), lerp(a.green, b.green), lerp(a.blue, b.blue), lerp(a.alpha, b.alpha)};
}

// The parts a shape paints, in order.
std::vector<Part> partsOf(const pic::Shape& shape, const Mapper& m) {
    std::vector<Part> parts;
    if (const auto* s = std::get_if<pic::FilledRect>(&shape)) {
        const RECT r = m.rect(s->rect);
        const pic::Colour fill = s->colour;
        parts.push_back({r,
                         [r, fill](HDC dc, COLORREF c) {
                             UniqueBrush brush(CreateSolidBrush(c == CLR_INVALID ? rgb(fill) : c));
                             FillRect(dc, &r, brush.get());
                         },
                         solid(fill), fill.alpha == 255});
    } else if (const auto* s = std::get_if<pic::Gradient>(&shape)) {
        const RECT r = m.rect(s->rect);
        const std::vector<POINT> clip = m.points(s->clip);
        const pic::Gradient g = *s;
        parts.push_back({r,
                         [r, clip, g](HDC dc, COLORREF c) {
                             const SavedDc saved(dc);
                             clipTo(dc, clip);
                             if (c == CLR_INVALID) {
                                 gradientFill(dc, r, g.from, g.to, g.vertical);
                             } else {
                                 UniqueBrush brush(CreateSolidBrush(c));
                                 FillRect(dc, &r, brush.get());
                             }
                         },
                         [r, g](int x, int y) {
                             const double span = g.vertical ? r.bottom - r.top : r.right - r.left;
                             const double at = g.vertical ? y - r.top + 0.5 : x - r.left + 0.5;
                             return mix(g.from, g.to, span > 0 ? std::clamp(at / span, 0.0, 1.0) : 0.0);
                         },
                         s->from.alpha == 255 && s->to.alpha == 255});
    } else if (const auto* s = std::get_if<pic::Polygon>(&shape)) {
        if (s->points.size() < 2) return parts;
        const std::vector<POINT> points = m.points(s->points);
        if (s->fill) {
            const pic::Colour fill = *s->fill;
            parts.push_back({boundsOf(points, 1),
                             [points, fill](HDC dc, COLORREF c) {
                                 fillPolygon(dc, points, c == CLR_INVALID ? rgb(fill) : c);
                             },
                             solid(fill), fill.alpha == 255});
        }
        if (s->outline) {
            const pic::Colour line = *s->outline;
            const int width = std::max(1, static_cast<int>(std::lround(m.sx)));
            parts.push_back({boundsOf(points, width + 1),
                             [points, line, width](HDC dc, COLORREF c) {
                                 outlinePolygon(dc, points, c == CLR_INVALID ? rgb(line) : c, width);
                             },
                             solid(line), line.alpha == 255});
        }
    } else if (const auto* s = std::get_if<pic::Ellipse>(&shape)) {
        const RECT r =
            m.rect({s->centre.x - s->radiusX, s->centre.y - s->radiusY, 2 * s->radiusX, 2 * s->radiusY});
        const pic::Colour fill = s->fill;
        parts.push_back({r,
                         [r, fill](HDC dc, COLORREF c) {
                             const SavedDc saved(dc);
                             UniqueBrush brush(CreateSolidBrush(c == CLR_INVALID ? rgb(fill) : c));
                             SelectObject(dc, brush.get());
                             SelectObject(dc, GetStockObject(NULL_PEN));
                             // The null pen leaves one pixel out right and below.
                             ::Ellipse(dc, r.left, r.top, r.right + 1, r.bottom + 1);
                         },
                         solid(fill), fill.alpha == 255});
    } else if (const auto* s = std::get_if<pic::Line>(&shape)) {
        const POINT from = m.point(s->from), to = m.point(s->to);
        const int width = std::max(1, static_cast<int>(std::lround(s->width * m.sy)));
        const pic::Colour colour = s->colour;
        parts.push_back({boundsOf({from, to}, width + 1),
                         [from, to, width, colour](HDC dc, COLORREF c) {
                             const SavedDc saved(dc);
                             LOGBRUSH brush{BS_SOLID, c == CLR_INVALID ? rgb(colour) : c, 0};
                             UniquePen pen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT,
                                                        static_cast<DWORD>(width), &brush, 0, nullptr));
                             SelectObject(dc, pen.get());
                             MoveToEx(dc, from.x, from.y, nullptr);
                             LineTo(dc, to.x, to.y);
                         },
                         solid(colour), colour.alpha == 255});
    }
    return parts;
}

}  // namespace

void paintDrawing(HDC dc, const pic::Drawing& drawing, const RECT& target) {
    if (drawing.width <= 0 || drawing.height <= 0) return;
    const Mapper m{double(target.left), double(target.top), (target.right - target.left) / drawing.width,
                   (target.bottom - target.top) / drawing.height};
    const SavedDc saved(dc);
    IntersectClipRect(dc, target.left, target.top, target.right, target.bottom);
    for (const pic::Shape& shape : drawing.shapes)
        for (const Part& part : partsOf(shape, m)) {
            if (part.opaque)
                part.draw(dc, CLR_INVALID);
            else
                blend(dc, part);
        }
}

}  // namespace ui::win32
