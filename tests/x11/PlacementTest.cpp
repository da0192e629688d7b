// Where the main window opens on a real X server under a real window manager:
// the stored place in twips is the outer frame's corner, the default size is
// the frame's outer size, and a screenshot of the window is kept for review.

#include <gtest/gtest.h>

#include <cmath>

#include "Support.h"

namespace x11test {
namespace {

using Placement = OnDisplay;

TEST_F(Placement, FirstRunOpensAtDefaultPlaceAndSizeAndIsShotForReview) {
    const auto window = open("vm-default", {});
    ASSERT_NE(window, 0u);

    // 1000 twips are 66.67 px; either neighbouring pixel is a faithful place.
    const auto near = [](int px, double want) { return std::abs(px - want) < 1.0; };
    const auto f = x->waitForFrame(
        window,
        [&](const Frame& f) {
            return near(f.x, 1000 / 15.0) && near(f.y, 1000 / 15.0) && f.width == 391 && f.height == 570;
        },
        5s);
    ASSERT_TRUE(f) << "the window manager never framed the window";
    EXPECT_TRUE(near(f->x, 1000 / 15.0) && near(f->y, 1000 / 15.0)) << describe(*f);
    EXPECT_EQ(f->width, 391) << describe(*f);
    EXPECT_EQ(f->height, 570) << describe(*f);

    // Let the first paint finish, then keep the picture beside the build.
    ASSERT_TRUE(x->waitForSettledFrame(window, 500ms, 5s));
    const Image shot = x->grab(f->x, f->y, f->width, f->height);
    ASSERT_EQ(shot.width, f->width);
    const fs::path file = artifactDir() / "main-window.png";
    EXPECT_TRUE(shot.savePng(file)) << file;
    // A window that painted nothing shows one flat colour.
    std::size_t distinct = 0;
    std::map<std::uint32_t, int> seen;
    for (auto px : shot.rgb)
        if (seen[px]++ == 0) ++distinct;
    EXPECT_GT(distinct, 8u) << "the screenshot " << file << " is nearly uniform";

    closeAndWait(window);
}

TEST_F(Placement, StoredPlaceInTwipsPutsTheFrameThere) {
    const auto window = open("vm-placed", {{"MAIN-Left", "3000"}, {"MAIN-Top", "1500"}});
    ASSERT_NE(window, 0u);
    // The frame may pass through the spot before the window manager's borders
    // are known and the outer size is set again; wait for both.
    const auto f = x->waitForFrame(
        window, [](const Frame& f) { return f.x == 200 && f.y == 100 && f.width == 391 && f.height == 570; },
        5s);
    ASSERT_TRUE(f) << "the window manager never framed the window";
    EXPECT_EQ(f->x, 200) << describe(*f);
    EXPECT_EQ(f->y, 100) << describe(*f);
    // The stored place moves the window without changing its size.
    EXPECT_EQ(f->width, 391) << describe(*f);
    EXPECT_EQ(f->height, 570) << describe(*f);
    closeAndWait(window);
}

TEST_F(Placement, StoredSizeKeysSetTheOuterSize) {
    // Width and height are never written, but a store that holds them is
    // obeyed as long as the layout fits.
    const auto window =
        open("vm-sized",
             {{"MAIN-Left", "3000"}, {"MAIN-Top", "1500"}, {"MAIN-Width", "7500"}, {"MAIN-Height", "9000"}});
    ASSERT_NE(window, 0u);
    const auto f = x->waitForFrame(
        window, [](const Frame& f) { return f.x == 200 && f.width == 500 && f.height == 600; }, 5s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->width, 500) << describe(*f);
    EXPECT_EQ(f->height, 600) << describe(*f);
    EXPECT_EQ(f->x, 200) << describe(*f);
    closeAndWait(window);
}

}  // namespace
}  // namespace x11test
