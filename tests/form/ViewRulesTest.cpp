// The rules both views follow: twips and pixels at a dpi, and where a window
// opens and what its close stores.

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "form/Placement.h"
#include "form/VirtualTime.h"

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

class Plain : public form::Window {
public:
    explicit Plain(form::Scheduler& s) : Window("PLAIN", s) {}
    std::vector<form::Control*> controls() override { return {}; }
    void Form_Load() override {}
    void Form_Unload() override {}
};

// 1280 x 1024 with a 30-pixel panel along the top.
const form::Screen kScreen{{0, 0, 1280, 1024}, {0, 30, 1280, 994}};

TEST(WindowPosition, OpensPlacedAndStoresWhereItReallyWas) {
    struct Twips {
        float left, top;
    };
    struct Case {
        form::Rect asked;  // twips
        double dpi;
        form::PixelBox opens;
        Twips opened;     // the model once open
        int closedAt[2];  // the frame's left and top at the close, pixels
        Twips stored;
    };
    const std::vector<Case> cases{
        // Unmoved: 1000 twips is 66.7 px, and through whole pixels it would come back 1005.
        {{1000, 1000, 5865, 8550}, 96, {67, 67, 391, 570}, {1000, 1000}, {67, 67}, {1000, 1000}},
        {{1000, 1000, 5865, 8550}, 96, {67, 67, 391, 570}, {1000, 1000}, {300, 67}, {4500, 1000}},
        {{3000, 1500, 9960, 4125}, 120, {250, 125, 830, 344}, {3000, 1500}, {250, 100}, {3000, 1200}},
        // Lost off every screen it opens 1000 twips into the work area, and
        // the model follows: where it opened is what is stored.
        {{150000, 150000, 5865, 8550}, 96, {67, 97, 391, 570}, {1005, 1455}, {67, 97}, {1005, 1455}},
        // Under the panel, then with no usable size at all.
        {{3000, 0, 9960, 4125}, 96, {200, 30, 664, 275}, {3000, 450}, {200, 30}, {3000, 450}},
        {{3000, 1500, 0, -50}, 96, {200, 100, 1, 1}, {3000, 1500}, {200, 100}, {3000, 1500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases.data());
        form::VirtualTime vt;
        Plain window(vt.scheduler);
        window.left = float(c.asked.left);
        window.top = float(c.asked.top);
        window.width = float(c.asked.width);
        window.height = float(c.asked.height);
        EXPECT_EQ(form::placeWindow(window, {kScreen}, c.dpi), c.opens);
        EXPECT_EQ(window.left, c.opened.left);
        EXPECT_EQ(window.top, c.opened.top);
        form::recordPosition(window, c.closedAt[0], c.closedAt[1], c.dpi);
        EXPECT_EQ(window.left, c.stored.left);
        EXPECT_EQ(window.top, c.stored.top);
    }
}

}  // namespace
