#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "ui/win32/DrawingPainter.h"

namespace {

namespace pic = model::pictures;

// A white 32-bit bitmap to paint on, read back pixel by pixel.
class Canvas {
public:
    Canvas(int width, int height) : width_(width) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, width, height};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    COLORREF at(int x, int y) const {
        GdiFlush();
        const std::uint8_t* p = bits_ + 4 * (y * width_ + x);
        return RGB(p[2], p[1], p[0]);
    }

private:
    int width_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    std::uint8_t* bits_ = nullptr;
};

TEST(DrawingPainter, OpaqueShapesLandOnTheirPixels) {
    pic::Drawing d{20, 20, false, {}};
    d.shapes.push_back(pic::FilledRect{{2, 2, 4, 4}, {255, 0, 0}});
    d.shapes.push_back(pic::Gradient{{10, 0, 10, 20}, {0, 0, 0}, {0, 0, 254}});
    // A one-pixel outline on pixel centres covers exactly row 12 and column 2.
    d.shapes.push_back(
        pic::Polygon{{{2.5, 12.5}, {8.5, 12.5}, {8.5, 18.5}, {2.5, 18.5}}, {}, pic::Colour{0, 128, 0}});
    Canvas canvas(20, 20);
    ui::win32::paintDrawing(canvas.dc(), d, {0, 0, 20, 20});
    EXPECT_EQ(canvas.at(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(canvas.at(5, 5), RGB(255, 0, 0));
    EXPECT_EQ(canvas.at(6, 6), RGB(255, 255, 255));
    EXPECT_LT(GetBValue(canvas.at(15, 1)), 30);  // the gradient runs top to bottom
    EXPECT_GT(GetBValue(canvas.at(15, 18)), 220);
    EXPECT_EQ(canvas.at(5, 12), RGB(0, 128, 0));
    EXPECT_EQ(canvas.at(2, 15), RGB(0, 128, 0));
    EXPECT_EQ(canvas.at(5, 11), RGB(255, 255, 255));
    EXPECT_EQ(canvas.at(5, 15), RGB(255, 255, 255));  // outline only, no fill
}

TEST(DrawingPainter, TranslucentShapesBlendOnlyWhereTheyAre) {
    pic::Drawing d{20, 20, false, {}};
    d.shapes.push_back(pic::Ellipse{{10, 10}, 5, 5, {255, 0, 0, 128}});
    Canvas canvas(20, 20);
    ui::win32::paintDrawing(canvas.dc(), d, {0, 0, 20, 20});
    const COLORREF centre = canvas.at(10, 10);
    EXPECT_EQ(GetRValue(centre), 255);
    EXPECT_NEAR(GetGValue(centre), 127, 2);
    EXPECT_NEAR(GetBValue(centre), 127, 2);
    // The corner of the ellipse's box is outside the ellipse: untouched.
    EXPECT_EQ(canvas.at(5, 5), RGB(255, 255, 255));
}

TEST(DrawingPainter, TheCanvasStretchesOverTheTargetAndNoFurther) {
    pic::Drawing d{10, 10, false, {}};
    d.shapes.push_back(pic::FilledRect{{0, 0, 5, 5}, {0, 0, 255}});
    d.shapes.push_back(pic::Line{{0, 20}, {10, 20}, {0, 0, 0}, 1});  // below the canvas
    Canvas canvas(40, 40);
    ui::win32::paintDrawing(canvas.dc(), d, {10, 10, 30, 30});
    EXPECT_EQ(canvas.at(10, 10), RGB(0, 0, 255));
    EXPECT_EQ(canvas.at(19, 19), RGB(0, 0, 255));
    EXPECT_EQ(canvas.at(20, 20), RGB(255, 255, 255));
    EXPECT_EQ(canvas.at(9, 9), RGB(255, 255, 255));
    EXPECT_EQ(canvas.at(15, 35), RGB(255, 255, 255));  // clipped to the target
}

}  // namespace
