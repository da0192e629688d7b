// Twips and pixels at a dpi, as both views place controls and windows.

#include <gtest/gtest.h>

#include <limits>

#include "form/Pixels.h"

namespace {

TEST(Twips, BecomePixelsAtTheScreensDpiAndBack) {
    struct Case {
        double twips;
        double dpi;
        int px;
    };
    const Case cases[] = {{1440, 96, 96},   {15, 96, 1},       {5865, 96, 391},  {8550, 96, 570},
                          {1000, 96, 67},   {-1500, 96, -100}, {-1000, 96, -67}, {1000, 120, 83},
                          {1000, 144, 100}, {5865, 144, 587},  {8550, 192, 1140}};
    for (const Case& c : cases) {
        EXPECT_EQ(form::toPx(c.twips, c.dpi), c.px) << c.twips << " twips at " << c.dpi;
        // Back again to the twip nearest the pixel.
        EXPECT_NEAR(form::toTwips(c.px, c.dpi), c.twips, 1440.0 / c.dpi / 2 + 0.5)
            << c.px << " px at " << c.dpi;
    }
    EXPECT_EQ(form::toTwips(67, 96), 1005);
    EXPECT_EQ(form::toTwips(-100, 96), -1500);
    EXPECT_EQ(form::toTwips(100, 120), 1200);
    EXPECT_EQ(form::toTwips(100, 0), 0);
    EXPECT_EQ(form::scalePx(1, 96), 1);
    EXPECT_EQ(form::scalePx(2, 144), 3);
    EXPECT_EQ(form::scalePx(1, 144), 2);  // 1.5 rounds up, as MulDiv does
}

TEST(Twips, DamagedValuesStayOnTheDesktop) {
    for (double dpi : {96.0, 144.0}) {
        EXPECT_EQ(form::toPx(std::numeric_limits<double>::quiet_NaN(), dpi), 0);
        EXPECT_EQ(form::toPx(std::numeric_limits<double>::infinity(), dpi), 0);
        EXPECT_EQ(form::toPx(3e38, dpi), 1'000'000);
        EXPECT_EQ(form::toPx(-3e38, dpi), -1'000'000);
        EXPECT_EQ(form::toPx(1e30, dpi), 1'000'000);
        EXPECT_EQ(form::toPx(-1e30, dpi), -1'000'000);
    }
}

TEST(Twips, BoxesThatTouchStillTouch) {
    // The slot rows lie 240 twips apart, 16 pixels at 96 dpi but 20.83 at 125 %:
    // the rounded edges of consecutive rows meet with no gap or overlap.
    for (double dpi : {96.0, 120.0, 144.0})
        for (int n = 0; n < 20; ++n) {
            const form::PixelBox a = form::toPx(form::Rect{120, 2400 + 240 * n, 375, 240}, dpi);
            const form::PixelBox b = form::toPx(form::Rect{120, 2400 + 240 * (n + 1), 375, 240}, dpi);
            EXPECT_EQ(a.top + a.height, b.top) << "row " << n << " at " << dpi;
        }
    EXPECT_EQ(form::toPx(form::Rect{120, 6960, 375, 255}, 96), (form::PixelBox{8, 464, 25, 17}));
    EXPECT_EQ(form::toPx(form::Rect{2880, 7680, 255, 135}, 96), (form::PixelBox{192, 512, 17, 9}));
}

}  // namespace
