// Where a window opens, from what the store holds to its outer frame on the
// desktop: a size the layout does not fit in falls back to the layout's, and
// the frame lands fully inside a work area when it fits there.

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <vector>

#include "form/Placement.h"
#include "form/VirtualTime.h"
#include "model/main/WindowPlace.h"
#include "platform/fake/MemorySettingsBackend.h"
#include "settings/Store.h"
#include "support/BareWindow.h"

namespace form {
void PrintTo(const PixelBox& b, std::ostream* os) {
    *os << b.left << "," << b.top << " " << b.width << "x" << b.height;
}
}  // namespace form

namespace {

using form::PixelBox;
using form::Screen;

// 1280 x 1024 with a 30-pixel panel along the top.
const Screen kScreen{{0, 0, 1280, 1024}, {0, 30, 1280, 994}};
// A second monitor right of it, 1920 x 600, with no panel.
const Screen kRightScreen{{1280, 0, 1920, 600}, {1280, 0, 1920, 600}};

struct Row {
    const char* what;
    const char* window;                         // the short name, whose defaults are its layout's size
    std::map<std::string, std::string> stored;  // key suffix -> text
    int dpi;
    std::vector<Screen> screens;
    PixelBox want;
};

// The About window's layout is 9960 x 4125 twips: 664 x 275 pixels at 96 dpi.
const std::vector<Row> kRows{
    {"normal", "ABOUT", {{"Left", "3000"}, {"Top", "1500"}}, 96, {kScreen}, {200, 100, 664, 275}},
    {"first run", "ABOUT", {}, 96, {kScreen}, {67, 67, 664, 275}},
    {"width 0",
     "ABOUT",
     {{"Left", "3000"}, {"Top", "1500"}, {"Width", "0"}},
     96,
     {kScreen},
     {200, 100, 664, 275}},
    {"height -5000",
     "ABOUT",
     {{"Left", "3000"}, {"Top", "1500"}, {"Height", "-5000"}},
     96,
     {kScreen},
     {200, 100, 664, 275}},
    {"smaller than the layout",
     "ABOUT",
     {{"Width", "6000"}, {"Height", "4110"}},
     96,
     {kScreen},
     {67, 67, 664, 275}},
    {"larger than the layout",
     "ABOUT",
     {{"Width", "12000"}, {"Height", "6000"}},
     96,
     {kScreen},
     {67, 67, 800, 400}},
    {"partly off the right and bottom",
     "ABOUT",
     {{"Left", "15000"}, {"Top", "13500"}},
     96,
     {kScreen},
     {616, 749, 664, 275}},
    {"partly off the left and under the panel",
     "ABOUT",
     {{"Left", "-1500"}, {"Top", "0"}},
     96,
     {kScreen},
     {0, 30, 664, 275}},
    {"off every screen", "ABOUT", {{"Left", "40000"}, {"Top", "1500"}}, 96, {kScreen}, {67, 97, 664, 275}},
    {"just past the left edge",
     "ABOUT",
     {{"Left", "-9960"}, {"Top", "1500"}},
     96,
     {kScreen},
     {67, 97, 664, 275}},
    {"in the gap below the shorter screen",
     "ABOUT",
     {{"Left", "22500"}, {"Top", "10500"}},
     96,
     {kScreen, kRightScreen},
     {67, 97, 664, 275}},
    {"on the second screen",
     "ABOUT",
     {{"Left", "30000"}, {"Top", "1500"}},
     96,
     {kScreen, kRightScreen},
     {2000, 100, 664, 275}},
    {"mostly on the second screen",
     "ABOUT",
     {{"Left", "18000"}, {"Top", "1500"}},
     96,
     {kScreen, kRightScreen},
     {1280, 100, 664, 275}},
    {"larger than the work area",
     "ABOUT",
     {{"Left", "3000"}, {"Top", "1500"}, {"Width", "30000"}, {"Height", "18000"}},
     96,
     {kScreen},
     {0, 30, 2000, 1200}},
    {"wider than the work area only",
     "ABOUT",
     {{"Left", "3000"}, {"Top", "1500"}, {"Width", "30000"}},
     96,
     {kScreen},
     {0, 100, 2000, 275}},
    // The all-settings window at 144 dpi is 1,740 pixels wide.
    {"all settings at 144 dpi", "SETTINGS", {}, 144, {kScreen}, {0, 100, 1740, 618}},
};

TEST(WindowPlace, OpensAtAUsableSizeInsideTheWorkArea) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.what);
        platform::MemorySettingsBackend backend;
        for (const auto& [suffix, text] : row.stored)
            backend.seed("velmora", std::string(row.window) + "-" + suffix, text);
        settings::Store store(backend, "velmora");
        form::VirtualTime vt;
        testing_support::BareWindow window(vt.scheduler);
        model::WindowPlace(store, row.window).restore(window);

        EXPECT_EQ(form::placeWindow(window, row.screens, row.dpi), row.want);
        EXPECT_TRUE(backend.writes.empty()) << "opening writes nothing";
    }
}

}  // namespace
