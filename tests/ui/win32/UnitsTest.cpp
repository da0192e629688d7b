#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "form/Control.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/Units.h"

namespace {

using namespace ui::win32;

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
