// The main window's desktop features on a real X server under a real window
// manager (the fixture names which): always on top against another window,
// and the scanner's lamps as they reach the screen.

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "Support.h"
#include "support/Poll.h"

namespace x11test {
namespace {

constexpr std::uint32_t kRed = 0xFF0000, kBlack = 0x000000;

using testing_support::pollUntil;

// Checks that `holds` stays true for the whole of `span`; seeing that nothing
// happens takes waiting the time in which it would have happened.
bool staysFor(const std::function<bool()>& holds, Millis span) {
    const auto end = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < end) {
        if (!holds()) return false;
        std::this_thread::sleep_for(50ms);
    }
    return holds();
}

class Desktop : public OnDisplay {
protected:
    Settings closeAndRead(unsigned long window, const std::string& name) {
        closeAndWait(window);
        return readSettings(settingsFile(config, name));
    }
};

TEST_F(Desktop, AlwaysOnTopTakesTheRankFromAnotherActiveWindowOnlyWhileTicked) {
    const unsigned long main = open("ontop", {{"MAIN-Left", "1500"}, {"MAIN-Top", "1500"}});
    ASSERT_NE(main, 0u);
    const auto frame = x->waitForSettledFrame(main, 300ms, 5s);
    ASSERT_TRUE(frame);
    const unsigned long other = x->createWindow("velmora test: another program", 700, 150, 300, 200);

    // While our window is active the program sends nothing, not even its own rank.
    x->activate(main);
    ASSERT_TRUE(pollUntil([&] { return x->activeWindow() == main; }, 5s));
    x->setAbove(main, false);
    ASSERT_TRUE(pollUntil([&] { return !x->hasAbove(main); }, 3s));
    EXPECT_TRUE(staysFor([&] { return !x->hasAbove(main); }, 2500ms)) << "a tick re-asserted our own rank";

    // Another window activated, top-most itself: within about a second it
    // loses the rank and our window has it.
    x->setAbove(other, true);
    ASSERT_TRUE(pollUntil([&] { return x->hasAbove(other); }, 3s));
    x->activate(other);
    ASSERT_TRUE(pollUntil([&] { return x->activeWindow() == other; }, 5s));
    const auto activated = std::chrono::steady_clock::now();
    EXPECT_TRUE(pollUntil([&] { return !x->hasAbove(other) && x->hasAbove(main); }, 3s));
    const auto took = std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - activated);
    EXPECT_LE(took.count(), 2000) << "the rank changed " << took.count() << " ms after the activation";

    // Clearing "Always On Top" (a click on its box) stops the polling and
    // leaves our window top-most.
    x->click(frame->clientX + 32 + 6, frame->clientY + 48 + 6);
    ASSERT_TRUE(pollUntil([&] { return x->activeWindow() == main; }, 5s))
        << "the click did not reach the window";
    std::this_thread::sleep_for(300ms);
    x->setAbove(other, true);
    x->activate(other);
    ASSERT_TRUE(pollUntil([&] { return x->activeWindow() == other && x->hasAbove(other); }, 5s));
    EXPECT_TRUE(staysFor([&] { return x->hasAbove(other) && x->hasAbove(main); }, 2500ms));

    EXPECT_EQ(closeAndRead(main, "ontop")["AlwaysOnTopTimer_TICKBOX"], "0");
}

// Lamp k's centre and a point of the black strip, client-relative pixels at 96 dpi.
int lampX(int k) {
    return (2880 + 240 * (k - 1) + 127) / 15;
}
constexpr int kLampY = (7680 + 67) / 15, kStripX = 2760 / 15 + 3, kStripY = 7560 / 15 + 3;

TEST_F(Desktop, ScannerShowsOneLitLampMovingOnTheBlackStripAndIsShot) {
    const unsigned long main = open("scanner", {{"RIVA_AUTOSTART_TICKBOX", "1"},
                                                {"AlwaysOnTopTimer_TICKBOX", "0"},
                                                {"MAIN-Left", "1500"},
                                                {"MAIN-Top", "4500"}});
    ASSERT_NE(main, 0u);
    const auto frame = x->waitForSettledFrame(main, 300ms, 5s);
    ASSERT_TRUE(frame);
    x->activate(main);

    // The first sweep clears the lamps that start-up lit; from then on one
    // lamp at most is lit (none for a step at each turn).
    auto litLamps = [&](const Image& shot, std::set<int>* which) {
        int lit = 0;
        for (int k = 1; k <= 7; ++k)
            if (shot.at(lampX(k), kLampY) == kRed) {
                ++lit;
                if (which) which->insert(k);
            }
        return lit;
    };
    auto grabClient = [&] {
        return x->grab(frame->clientX, frame->clientY, frame->clientWidth, frame->clientHeight);
    };
    Image first;
    ASSERT_TRUE(pollUntil(
        [&] {
            first = grabClient();
            return first.width > 0 && litLamps(first, nullptr) == 1;
        },
        5s))
        << "never exactly one lit lamp";
    EXPECT_EQ(first.at(kStripX, kStripY), kBlack);
    const fs::path shot = artifactDir() / ("scanner-" + display.substr(1) + ".png");
    fs::create_directories(shot.parent_path());
    EXPECT_TRUE(first.savePng(shot));
    std::cout << "screenshot of the running scanner: " << shot << "\n";

    std::set<int> seen;
    const auto end = std::chrono::steady_clock::now() + 2s;
    while (std::chrono::steady_clock::now() < end) {
        const Image now = grabClient();
        ASSERT_LE(litLamps(now, &seen), 1);
        std::this_thread::sleep_for(30ms);
    }
    EXPECT_GE(seen.size(), 4u) << "the lit lamp should move along the strip";
    closeAndRead(main, "scanner");
}

}  // namespace
}  // namespace x11test
