#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "form/Control.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/Units.h"

namespace {

using namespace ui::win32;

TEST(Twips, BecomePixelsAtTheWindowsDpi) {
    struct Case {
        double twips;
        int dpi, px;
    };
    for (const Case& c : {Case{1440, 96, 96},
                          {15, 96, 1},
                          {5865, 96, 391},
                          {1000, 120, 83},
                          {1000, 144, 100},
                          {-1000, 96, -67},
                          {8550, 192, 1140}}) {
        EXPECT_EQ(toPx(c.twips, c.dpi), c.px) << c.twips << " twips at " << c.dpi;
        // Back again to the twip nearest the pixel.
        EXPECT_NEAR(toTwips(c.px, c.dpi), c.twips, 1440.0 / c.dpi / 2 + 0.5) << c.px << " px at " << c.dpi;
    }
}

TEST(Twips, DamagedValuesStayOnTheDesktop) {
    EXPECT_EQ(toPx(std::numeric_limits<double>::quiet_NaN(), 96), 0);
    EXPECT_EQ(toPx(std::numeric_limits<double>::infinity(), 96), 0);
    EXPECT_EQ(toPx(1e30, 96), 1'000'000);
    EXPECT_EQ(toPx(-1e30, 96), -1'000'000);
}

TEST(Twips, BoxesThatTouchStillTouch) {
    // The slot rows lie 240 twips apart, 16 pixels at 96 dpi but 20.83 at 125 %.
    for (int dpi : {96, 120, 144}) {
        const PxRect row1 = toPx(form::Rect{120, 2400, 375, 240}, dpi);
        const PxRect row2 = toPx(form::Rect{120, 2640, 375, 240}, dpi);
        EXPECT_EQ(row1.top + row1.height, row2.top) << dpi;
    }
    EXPECT_EQ(toPx(form::Rect{2880, 7680, 255, 135}, 96), (PxRect{192, 512, 17, 9}));
}

TEST(Fonts, HeightIsTheSystemsMulDivOfTenthsOfAPoint) {
    for (double points : {8.25, 9.75, 12.0, 13.5, 14.25, 8.0, 0.5})
        for (int dpi : {72, 96, 120, 144, 168, 192})
            EXPECT_EQ(fontHeight(points, dpi), -MulDiv(static_cast<int>(std::lround(points * 10)), dpi, 720))
                << points << " pt at " << dpi;
    EXPECT_EQ(fontHeight(8.25, 96), -11);
    EXPECT_EQ(fontHeight(0, 96), 0);  // the face's default size
    EXPECT_EQ(fontHeight(std::numeric_limits<double>::quiet_NaN(), 96), 0);
}

TEST(Fonts, Weight) {
    EXPECT_EQ(fontWeight({"Arial", 9.75, true, 0}), FW_BOLD);
    EXPECT_EQ(fontWeight({"MS Sans Serif", 8.25, false, 0}), FW_NORMAL);
    EXPECT_EQ(fontWeight({"Arial Black", 9.75, true, 900}), FW_HEAVY);
    EXPECT_EQ(fontWeight({"Arial", 9.75, false, 5000}), 900);
}

TEST(Colours, FixedOnesAreColorRefsPaletteOnesTheDesktops) {
    using namespace form::colour;
    EXPECT_EQ(toColorRef(Red), RGB(255, 0, 0));
    EXPECT_EQ(toColorRef(Cyan), RGB(0, 255, 255));
    EXPECT_EQ(toColorRef(PaleMagenta), RGB(255, 128, 255));
    EXPECT_EQ(toColorRef(PaleYellow), RGB(255, 255, 192));
    EXPECT_EQ(toColorRef(SystemWindow), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(toColorRef(SystemWindowText), GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(toColorRef(SystemButtonFace), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(toColorRef(SystemButtonText), GetSysColor(COLOR_BTNTEXT));
    EXPECT_FALSE(systemColourIndex(Black));
}

TEST(Colours, OneBrushPerColour) {
    BrushCache cache;
    const HBRUSH red = cache.brush(form::colour::Red);
    EXPECT_EQ(cache.brush(form::colour::Red), red);
    EXPECT_NE(cache.brush(form::colour::Green), red);
    LOGBRUSH info{};
    ASSERT_TRUE(GetObjectW(red, sizeof info, &info));
    EXPECT_EQ(info.lbColor, RGB(255, 0, 0));
    EXPECT_EQ(cache.brush(form::colour::SystemButtonFace), GetSysColorBrush(COLOR_BTNFACE));
}

TEST(Fonts, OneFontPerFaceSizeAndWeight) {
    FontCache cache;
    const HFONT arial = cache.font({"Arial", 9.75, true, 0}, 96);
    EXPECT_EQ(cache.font({"Arial", 9.75, true, 0}, 96), arial);
    EXPECT_NE(cache.font({"Arial", 9.75, true, 0}, 144), arial);
    EXPECT_NE(cache.font({"Arial", 9.75, false, 0}, 96), arial);
    LOGFONTW info{};
    ASSERT_TRUE(GetObjectW(arial, sizeof info, &info));
    EXPECT_EQ(info.lfHeight, -13);
    EXPECT_EQ(info.lfWeight, FW_BOLD);
    EXPECT_STREQ(info.lfFaceName, L"Arial");
}

TEST(Captions, AmpersandsShowAsTyped) {
    EXPECT_EQ(literalCaption(L"Save & run"), L"Save && run");
    EXPECT_EQ(literalCaption(L"&&"), L"&&&&");
    EXPECT_EQ(literalCaption(L"TASK 1"), L"TASK 1");
    EXPECT_EQ(singleLine(L"TARNHOLT\r\n SOFTWARE"), L"TARNHOLT   SOFTWARE");
    EXPECT_EQ(singleLine(L"a\tb"), L"a\tb");
}

}  // namespace
