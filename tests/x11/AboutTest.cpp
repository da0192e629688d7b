// The About window and the donations window on a real display: opened by
// clicks from the main window, placed where they were stored, flashing, and
// closed again by OK and by the close box, each storing its place. A picture
// of each is kept for review.

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "Support.h"

namespace x11test {
namespace {

const std::string kAboutCaption = "VELMORA - ABOUT";
const std::string kDonationsCaption = "!!! DONATIONS ALWAYS APPRECIATED - BRANNIC - TARNHOLT !!! :)";

// The centre of a control's twip box on the root, for a window's client area.
void clickControl(XSession& x, const Frame& window, int left, int top, int width, int height) {
    x.click(window.clientX + (left + width / 2) / 15, window.clientY + (top + height / 2) / 15);
}

bool gone(XSession& x, pid_t pid, const std::string& caption, Millis timeout) {
    return testing_support::pollUntil([&] { return !x.waitForClient(pid, caption, 100ms); }, timeout);
}

// Keeps a picture of the window and checks that it painted more than a
// flat colour.
Image shoot(XSession& x, const Frame& f, const std::string& file) {
    const Image shot = x.grab(f.x, f.y, f.width, f.height);
    EXPECT_TRUE(shot.savePng(artifactDir() / file)) << file;
    std::set<std::uint32_t> colours(shot.rgb.begin(), shot.rgb.end());
    EXPECT_GT(colours.size(), 8u) << file << " is nearly uniform";
    return shot;
}

using AboutWindows = OnDisplay;

TEST_F(AboutWindows, OpenFromTheMainWindowThenDonationsAndCloseBoth) {
    const std::string name = "vm-about";
    const fs::path file = settingsFile(config, name);
    // The lower right of the screen, clear of the other tests' windows.
    const unsigned long mainWindow = open(name, {{"MAIN-Left", "15000"},
                                                 {"MAIN-Top", "9450"},
                                                 {"AlwaysOnTopTimer_TICKBOX", "0"},
                                                 {"ABOUT-Left", "15300"},
                                                 {"ABOUT-Top", "9600"},
                                                 {"DONATIONS_WINDOW-Left", "19500"},
                                                 {"DONATIONS_WINDOW-Top", "10500"}});
    ASSERT_NE(mainWindow, 0u);
    XSession& x = *this->x;
    Program& program = *this->program;
    const auto main = x.waitForSettledFrame(mainWindow, 300ms, 5s);
    ASSERT_TRUE(main);

    // --- About, from the main window's About button ---
    clickControl(x, *main, 4800, 7560, 735, 375);
    const auto aboutWindow = x.waitForClient(program.pid(), kAboutCaption, 10s);
    ASSERT_TRUE(aboutWindow) << "the About button opened nothing; " << program.output();
    // Placed as stored, at the default outer size of 9960 x 4125 twips.
    const auto isAbout = [](const Frame& f) {
        return f.x == 1020 && f.y == 640 && f.width == 664 && f.height == 275;
    };
    const auto about = x.waitForFrame(*aboutWindow, isAbout, 5s);
    ASSERT_TRUE(about);
    EXPECT_TRUE(isAbout(*about)) << describe(*about);

    // The frame round the donations button goes through its colours.
    std::set<std::uint32_t> frameColours;
    const auto until = std::chrono::steady_clock::now() + 1500ms;
    while (std::chrono::steady_clock::now() < until) {
        const Image px = x.grab(about->clientX + 5220 / 15, about->clientY + 1860 / 15, 1, 1);
        frameColours.insert(px.at(0, 0));
        std::this_thread::sleep_for(50ms);
    }
    const std::set<std::uint32_t> steps{0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00};
    int stepsSeen = 0;
    for (auto c : frameColours) stepsSeen += steps.count(c);
    EXPECT_GE(stepsSeen, 3) << "the donations frame does not flash";
    shoot(x, *about, "about-window.png");

    // --- donations, from the About window's donations button ---
    clickControl(x, *about, 5280, 1920, 4335, 495);
    const auto donationsWindow = x.waitForClient(program.pid(), kDonationsCaption, 10s);
    ASSERT_TRUE(donationsWindow) << "the donations button opened nothing; " << program.output();
    const auto isDonations = [](const Frame& f) {
        return f.x == 1300 && f.y == 700 && f.width == 592 && f.height == 422;
    };
    const auto donations = x.waitForFrame(*donationsWindow, isDonations, 5s);
    ASSERT_TRUE(donations);
    EXPECT_TRUE(isDonations(*donations)) << describe(*donations);
    ASSERT_TRUE(x.waitForSettledFrame(*donationsWindow, 300ms, 5s));
    std::this_thread::sleep_for(300ms);  // the first flashing step has painted
    shoot(x, *donations, "donations-window.png");

    // Donations by its close box, About by OK; the main window stays.
    x.closeViaWindowManager(*donationsWindow);
    EXPECT_TRUE(gone(x, program.pid(), kDonationsCaption, 5s));
    clickControl(x, *about, 6480, 2880, 1935, 615);
    EXPECT_TRUE(gone(x, program.pid(), kAboutCaption, 5s)) << "OK did not close the About window";
    EXPECT_TRUE(program.running());

    const Settings stored = readSettings(file);
    EXPECT_EQ(stored.at("ABOUT-Left"), "15300");
    EXPECT_EQ(stored.at("ABOUT-Top"), "9600");
    EXPECT_EQ(stored.at("DONATIONS_WINDOW-Left"), "19500");
    EXPECT_EQ(stored.at("DONATIONS_WINDOW-Top"), "10500");
    for (const char* key :
         {"ABOUT-Width", "ABOUT-Height", "DONATIONS_WINDOW-Width", "DONATIONS_WINDOW-Height"})
        EXPECT_FALSE(stored.count(key)) << key;

    x.closeViaWindowManager(mainWindow);
    const auto status = program.waitExit(10s);
    ASSERT_TRUE(status) << "no exit within 10 s of the close request";
    EXPECT_EQ(describeStatus(*status), "exit 0") << program.output();
}

}  // namespace
}  // namespace x11test
